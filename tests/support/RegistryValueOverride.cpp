#include "tests/support/RegistryValueOverride.h"

RegistryValueOverride::RegistryValueOverride(HKEY root, std::wstring path, std::wstring name)
    : root(root), path(std::move(path)), name(std::move(name))
{
    DWORD size = 0;
    if (RegGetValueW(root, this->path.c_str(), this->name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                     &size) != ERROR_SUCCESS)
        return;
    data.resize(size);
    existed = RegGetValueW(root, this->path.c_str(), this->name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                           data.data(), &size) == ERROR_SUCCESS;
    data.resize(size);
}

RegistryValueOverride::~RegistryValueOverride()
{
    if (existed)
        Set(type, data.data(), static_cast<DWORD>(data.size()));
    else
        Delete();
}

bool RegistryValueOverride::SetNumber(DWORD value) const
{
    return Set(REG_DWORD, &value, sizeof value);
}

bool RegistryValueOverride::SetString(const std::wstring& text) const
{
    return Set(REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool RegistryValueOverride::Delete() const
{
    const LONG error = RegDeleteKeyValueW(root, path.c_str(), name.c_str());
    return error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND;
}

bool RegistryValueOverride::Set(DWORD valueType, const void* bytes, DWORD size) const
{
    return RegSetKeyValueW(root, path.c_str(), name.c_str(), valueType, bytes, size) == ERROR_SUCCESS;
}
