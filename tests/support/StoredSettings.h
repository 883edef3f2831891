// The settings the program stores below HKEY_CURRENT_USER: where they are, values planted and
// read there by hand, and a clean slate for every test that stores or loads them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

inline const std::wstring kProgramKey = L"Software\\Norvane\\Tessilo32";
inline const std::wstring kSettingsKey = kProgramKey + L"\\Setting";

// Writes a value below HKCU\<path>, making the key when it is missing.
void PlantNumber(const std::wstring& path, const wchar_t* name, DWORD value);
void PlantString(const std::wstring& path, const wchar_t* name, const std::wstring& text);

// A stored DWORD, or kMissingNumber when there is none.
constexpr DWORD kMissingNumber = 0xDEADBEEF;
DWORD StoredNumber(const std::wstring& path, const wchar_t* name);
// A stored string, or "<missing>" when there is none.
std::wstring StoredString(const std::wstring& path, const wchar_t* name);

// Removes HKCU\Software\Norvane, so that the next load is a first start.
void DeleteStoredSettings();

// Starts as a first start and leaves nothing stored behind.
class WithoutStoredSettings : public ::testing::Test {
protected:
    void SetUp() override { DeleteStoredSettings(); }
    void TearDown() override { DeleteStoredSettings(); }
};
