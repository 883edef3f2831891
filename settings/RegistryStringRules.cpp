#include "settings/RegistryStringRules.h"

namespace registry_rules {

long CheckStringValue(uint32_t type, const unsigned char* bytes, size_t size)
{
    if (type != kTypeString && type != kTypeExpandString)
        return kErrorInvalidData;
    if (size == 0)
        return kSuccess;
    // Bytes, not wchar_t: the data need not be aligned and its order does not matter for NUL.
    if (size % 2 != 0 || bytes[size - 2] != 0 || bytes[size - 1] != 0)
        return kErrorInvalidData;
    return kSuccess;
}

}  // namespace registry_rules
