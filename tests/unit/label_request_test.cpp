#include "desktop/label_request.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<std::pair<std::size_t, std::vector<std::uint8_t>>> fields,
                                std::size_t size) {
  std::vector<std::uint8_t> out(size, 0);
  for (const auto& [at, bytes] : fields) {
    for (std::size_t i = 0; i < bytes.size(); ++i) out[at + i] = bytes[i];
  }
  return out;
}

TEST(LabelRequest, ThirtyTwoBitShellReadsTheFortyByteRecord) {
  const auto record = BuildLabelRequest(32, 0x00A10000, 0, 100);
  EXPECT_EQ(record, Bytes({{8, {0, 0, 0, 0}}, {20, {0x28, 0x00, 0xA1, 0x00}}, {24, {100, 0, 0, 0}}}, 40));
  const auto subitem = BuildLabelRequest(32, 0x12345000, 7, 0x01020304);
  EXPECT_EQ(subitem, Bytes({{8, {7, 0, 0, 0}}, {20, {0x28, 0x50, 0x34, 0x12}}, {24, {4, 3, 2, 1}}}, 40));
}

TEST(LabelRequest, SixtyFourBitShellReadsSixtyFourBitFields) {
  const auto record = BuildLabelRequest(64, 0x00007FF6A0000000ULL, 3, 100);
  EXPECT_EQ(record, Bytes({{8, {3, 0, 0, 0}},
                           {24, {0x58, 0x00, 0x00, 0xA0, 0xF6, 0x7F, 0x00, 0x00}},
                           {32, {100, 0, 0, 0}}},
                          88));
}

TEST(LabelRequest, ReadsBackAsTheViewWould) {
  for (int bits : {32, 64}) {
    const std::uint64_t block = bits == 32 ? 0x7FFF0000ULL : 0x123456789000ULL;
    const auto record = BuildLabelRequest(bits, block, -1, 100);
    const LabelRequest parsed = ParseLabelRequest(bits, record.data());
    EXPECT_EQ(parsed.subitem, -1);
    EXPECT_EQ(parsed.text, block + LabelRequestLayoutFor(bits).record_size);
    EXPECT_EQ(parsed.capacity, 100);
    // Placed among other records, a record names the text area it is given and keeps
    // no byte of what was there before.
    std::vector<std::uint8_t> among(record.size(), 0xAA);
    PutLabelRequest(bits, among.data(), block + 0x1000, -1, 100);
    EXPECT_EQ(among, BuildLabelRequest(bits, block + 0x1000 - record.size(), -1, 100));
  }
}

}  // namespace
}  // namespace vandrel
