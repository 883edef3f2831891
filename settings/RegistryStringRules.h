// Which raw registry values count as strings. Needs no platform call, so that it can be
// exercised natively with arbitrary bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace registry_rules {

// The platform's numbers for the value types and the one error this rule gives.
constexpr uint32_t kTypeString = 1;        // REG_SZ
constexpr uint32_t kTypeExpandString = 2;  // REG_EXPAND_SZ
constexpr long kSuccess = 0;
constexpr long kErrorInvalidData = 13;     // ERROR_INVALID_DATA

// 0 when `size` bytes of type `type` are a complete UTF-16 string: no bytes at all, or an even
// count whose last character is NUL; kErrorInvalidData otherwise.
long CheckStringValue(uint32_t type, const unsigned char* bytes, size_t size);

}  // namespace registry_rules
