#pragma once

#include <string>

// The text without leading and trailing white space and carriage returns, as a user means a
// typed path or address. Needs no platform call.
std::wstring TrimBlanks(const std::wstring& text);
