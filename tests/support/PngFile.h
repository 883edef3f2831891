// A written PNG file, read back the way a decoder walks it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The big-endian number at `at`, as PNG stores chunk lengths and the image size.
uint32_t Big32(const std::string& bytes, size_t at);

// The signature, then whole chunks up to an IEND that ends the file.
bool IsWholePng(const std::string& file);
