// A captured picture as its output file: PNG through GDI+, anything else the BMP file image
// itself, written whole under its sequence name.
#pragma once

#include "image/ImageEncoder.h"

#include <cstdint>
#include <string>
#include <vector>

// "png" in any letter case, and nothing else.
bool IsPngExtension(const std::wstring& ext);

// The PNG of a BMP file image, encoded in memory with `encoder`, whose GDI+ objects belong to
// the calling thread. False when the image holds no whole bitmap or GDI+ fails.
bool EncodePng(const CImageEncoder& encoder, std::vector<uint8_t>& fileImage, std::vector<uint8_t>& png);

// Creates, writes and closes the file through one handle; it takes its name only once it is
// whole, and a file already there stays as it was when anything fails.
bool WriteImageFile(const std::wstring& path, const uint8_t* bytes, size_t size);
