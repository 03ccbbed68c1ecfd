// The LVITEMA request record of the label read, laid out for the pointer width of
// the process that reads it. A 32-bit shell reads the 40-byte record; a 64-bit shell
// (every 64-bit Windows, and Wine64) reads 64-bit fields: handed the 40-byte form it
// would take its text address from the wrong bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vandrel {

struct LabelRequestLayout {
  std::size_t record_size;   // bytes before the text area
  std::size_t subitem_offset;
  std::size_t text_offset;   // pszText
  std::size_t text_width;    // 4 or 8 bytes
  std::size_t capacity_offset;  // cchTextMax
};

// 40 bytes for a 32-bit reader; the whole 88-byte x64 LVITEMA otherwise, so that no
// field the view might touch overlaps the text area.
constexpr LabelRequestLayout LabelRequestLayoutFor(int pointer_bits) {
  if (pointer_bits == 32) return {40, 8, 20, 4, 24};
  return {88, 8, 24, 8, 32};
}

// Fills the layout's record_size bytes at `record`: iSubItem, pszText = text (an
// address in the reader's process), cchTextMax = capacity; every other byte zero.
// A whole-desktop read lays many records side by side, each naming its own text area.
void PutLabelRequest(int pointer_bits, std::uint8_t* record, std::uint64_t text, std::int32_t subitem,
                     std::int32_t capacity);

// The record to place at `block`, its text area right behind it.
std::vector<std::uint8_t> BuildLabelRequest(int pointer_bits, std::uint64_t block, std::int32_t subitem,
                                            std::int32_t capacity);

struct LabelRequest {
  std::int32_t subitem;
  std::uint64_t text;
  std::int32_t capacity;
};
// Reads a record back as a list view of that width would; for the in-memory desktop.
LabelRequest ParseLabelRequest(int pointer_bits, const std::uint8_t* record);

}  // namespace vandrel
