#include "tests/support/PngFile.h"

uint32_t Big32(const std::string& bytes, size_t at)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

bool IsWholePng(const std::string& file)
{
    if (file.size() < 8 || file.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0)
        return false;
    size_t at = 8;
    std::string type;
    while (at + 12 <= file.size() && type != "IEND") {
        type = file.substr(at + 4, 4);
        at += 12 + static_cast<size_t>(Big32(file, at));
    }
    return type == "IEND" && at == file.size();
}
