#include "settings/SettingsLocation.h"

#include "app/ResourceString.h"

LONG SettingsLocation::Open(HKEY parent, UINT makerId, UINT productId)
{
    if (!LoadResourceString(makerId, maker) || !LoadResourceString(productId, product))
        return ERROR_RESOURCE_NAME_NOT_FOUND;
    root = parent;
    rootPath = L"Software\\" + maker + L"\\" + product + L"32";
    return rootKey.Create(root, rootPath);
}
