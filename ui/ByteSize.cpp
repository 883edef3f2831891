#include "ui/ByteSize.h"

namespace {

constexpr unsigned kMegaShift = 20;
constexpr unsigned kGigaShift = 30;

// whole.fraction with `decimals` digits of the part below one unit of 2^shift bytes.
std::wstring Decimal(uint64_t bytes, unsigned shift, int decimals, const wchar_t* unit)
{
    std::wstring text = std::to_wstring(bytes >> shift);
    if (decimals > 0) {
        uint64_t scale = 1;
        for (int i = 0; i < decimals; ++i)
            scale *= 10;
        // The part below one unit is under 2^30, so times 100 stays far from the 64-bit limit.
        const uint64_t part = ((bytes & ((uint64_t{1} << shift) - 1)) * scale) >> shift;
        std::wstring digits = std::to_wstring(part);
        text += L'.' + std::wstring(static_cast<size_t>(decimals) - digits.size(), L'0') + digits;
    }
    return text + L' ' + unit;
}

}  // namespace

std::wstring ByteSizeText(uint64_t bytes)
{
    constexpr uint64_t kMega = uint64_t{1} << kMegaShift;
    constexpr uint64_t kGiga = uint64_t{1} << kGigaShift;
    if (bytes < 10 * kMega)
        return Decimal(bytes, kMegaShift, 1, L"MB");
    if (bytes < kGiga)
        return Decimal(bytes, kMegaShift, 0, L"MB");
    if (bytes < 10 * kGiga)
        return Decimal(bytes, kGigaShift, 2, L"GB");
    if (bytes < 100 * kGiga)
        return Decimal(bytes, kGigaShift, 1, L"GB");
    return Decimal(bytes, kGigaShift, 0, L"GB");
}
