#include "desktop/label_request.h"

#include <cstring>

namespace vandrel {
namespace {

void Put(std::uint8_t* out, std::size_t at, std::uint64_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t Get(const std::uint8_t* in, std::size_t at, std::size_t width) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value |= static_cast<std::uint64_t>(in[at + i]) << (8 * i);
  return value;
}

}  // namespace

void PutLabelRequest(int pointer_bits, std::uint8_t* record, std::uint64_t text, std::int32_t subitem,
                     std::int32_t capacity) {
  const LabelRequestLayout layout = LabelRequestLayoutFor(pointer_bits);
  std::memset(record, 0, layout.record_size);
  Put(record, layout.subitem_offset, static_cast<std::uint32_t>(subitem), 4);
  Put(record, layout.text_offset, text, layout.text_width);
  Put(record, layout.capacity_offset, static_cast<std::uint32_t>(capacity), 4);
}

std::vector<std::uint8_t> BuildLabelRequest(int pointer_bits, std::uint64_t block, std::int32_t subitem,
                                            std::int32_t capacity) {
  const LabelRequestLayout layout = LabelRequestLayoutFor(pointer_bits);
  std::vector<std::uint8_t> record(layout.record_size);
  PutLabelRequest(pointer_bits, record.data(), block + layout.record_size, subitem, capacity);
  return record;
}

LabelRequest ParseLabelRequest(int pointer_bits, const std::uint8_t* record) {
  const LabelRequestLayout layout = LabelRequestLayoutFor(pointer_bits);
  return {static_cast<std::int32_t>(static_cast<std::uint32_t>(Get(record, layout.subitem_offset, 4))),
          Get(record, layout.text_offset, layout.text_width),
          static_cast<std::int32_t>(static_cast<std::uint32_t>(Get(record, layout.capacity_offset, 4)))};
}

}  // namespace vandrel
