// ParseFixedPoint over any text: the first byte picks the decimals, the rest are UTF-16 code
// units as a Windows edit box gives them. A parsed value must format and parse back unchanged.
#include "ui/FixedPoint.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // Past 18 the parser refuses; a few beyond keep that refusal covered.
    const int decimals = data[0] % 21;
    std::wstring text;
    for (size_t i = 1; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));

    int32_t value = 0;
    if (!ParseFixedPoint(text, decimals, value))
        return 0;
    int32_t again = ~value;
    if (!ParseFixedPoint(FormatFixedPoint(value, decimals), decimals, again) || again != value)
        std::abort();
    return 0;
}
