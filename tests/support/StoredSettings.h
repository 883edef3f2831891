// The settings the program stores below HKEY_CURRENT_USER: where they are, and a clean slate for
// every test that stores or loads them.
#pragma once

#include <gtest/gtest.h>

#include <string>

inline const std::wstring kProgramKey = L"Software\\Norvane\\Tessilo32";
inline const std::wstring kSettingsKey = kProgramKey + L"\\Setting";

// Removes HKCU\Software\Norvane, so that the next load is a first start.
void DeleteStoredSettings();

// Starts as a first start and leaves nothing stored behind.
class WithoutStoredSettings : public ::testing::Test {
protected:
    void SetUp() override { DeleteStoredSettings(); }
    void TearDown() override { DeleteStoredSettings(); }
};
