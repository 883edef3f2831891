// Reads a dialog template (DLGTEMPLATEEX) and the string table straight from the resources of
// the test program, one language at a time.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct TemplateItem {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className;   // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" or the name
    std::wstring text;
};

struct DialogTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring title;
    WORD pointSize = 0;
    std::wstring typeface;
    std::vector<TemplateItem> items;
};

// False when the template is missing in that language. From the test program itself, or from
// `module` (a program loaded as a data file).
bool LoadDialogTemplate(int id, LANGID language, DialogTemplate& dialog, HMODULE module = nullptr);

// A hidden dialog that the dialog manager made from the template in that language, its
// procedure doing nothing; null when the template is missing. The caller destroys it.
HWND CreateDialogFromTemplate(int id, LANGID language);

// Every string of the table in that language, by id.
std::map<UINT, std::wstring> LoadStringTable(LANGID language);

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
