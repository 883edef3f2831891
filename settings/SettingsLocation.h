// The settings' place in the registry: "Software\<maker>\<product>32" below a root, the names
// taken from the string table.
#pragma once

#include "settings/RegistryKey.h"

#include <windows.h>

#include <string>

class SettingsLocation {
public:
    // Loads both names and creates the root key, held until the object goes away. Fails,
    // creating nothing, when a name cannot be loaded.
    LONG Open(HKEY root, UINT makerId, UINT productId);

    HKEY Root() const { return root; }
    const std::wstring& RootPath() const { return rootPath; }
    // The root path, a backslash and `name`.
    std::wstring SectionPath(const std::wstring& name) const { return rootPath + L"\\" + name; }

private:
    RegistryKey rootKey;
    HKEY root = nullptr;
    std::wstring maker;
    std::wstring product;
    std::wstring rootPath;
};
