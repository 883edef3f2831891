// The string rule over the raw bytes of a registry value: the first byte picks the value type,
// the rest are the data. An accepted value must read back as a whole string that ends in NUL.
#include "settings/RegistryStringRules.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // Types 0 to 11 are the platform's; a few beyond stand for anything else.
    const uint32_t type = data[0] % 16;
    const unsigned char* bytes = data + 1;
    const size_t count = size - 1;

    const long result = registry_rules::CheckStringValue(type, bytes, count);
    if (result != registry_rules::kSuccess && result != registry_rules::kErrorInvalidData)
        std::abort();
    if (result != registry_rules::kSuccess)
        return 0;
    const bool isString = type == registry_rules::kTypeString || type == registry_rules::kTypeExpandString;
    const bool wholeString = count == 0 || (count % 2 == 0 && bytes[count - 2] == 0 && bytes[count - 1] == 0);
    if (!isString || !wholeString)
        std::abort();
    return 0;
}
