// The list of a combo box, of this process or another: the list messages carry the texts across.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

int ComboCount(HWND box);
// The text of item `index`, or an empty string when there is no such item.
std::wstring ComboItem(HWND box, int index);
// Every item, in list order.
std::vector<std::wstring> ComboItems(HWND box);
