// The text-to-integer conversion of the test window's edit boxes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vandrel {

// Leading spaces, one optional sign, then decimal digits within the signed 32-bit
// range, or hexadecimal digits after "$", "x", "X", "0x" or "0X" read as a 32-bit
// pattern ("$FFFFFFFF" is -1). Nothing may follow the digits. Anything else,
// the empty text included, does not convert.
std::optional<std::int32_t> ParseInteger(std::u16string_view text);

// As ParseInteger, but text that does not convert raises a UserError whose text is
// "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::u16string_view text);

}  // namespace vandrel
