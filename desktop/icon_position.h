// An icon position as it travels in one list-view message parameter.
#pragma once

#include <cstdint>

namespace vandrel {

// x in the low word, y in the high word, each cut to its low 16 bits: (-5, 40)
// travels as 0x0028FFFB.
constexpr std::uint32_t PackPosition(std::int32_t x, std::int32_t y) {
  return (static_cast<std::uint32_t>(x) & 0xFFFFu) | ((static_cast<std::uint32_t>(y) & 0xFFFFu) << 16);
}
// What a list view reads back from a packed position: two signed 16-bit values.
constexpr std::int16_t PackedX(std::uint32_t packed) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(packed & 0xFFFFu));
}
constexpr std::int16_t PackedY(std::uint32_t packed) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(packed >> 16));
}

}  // namespace vandrel
