// libFuzzer target for the edit boxes' text-to-integer conversion. Every input is read
// twice: as UTF-16 code units (little-endian byte pairs), which is how an edit box
// hands its text over, and as single bytes widened, which reaches the short ASCII
// texts faster. ParseInteger must agree with the reading below on both, and StrToInt
// must answer the same value or raise its error naming the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "desktop/user_error.h"
#include "testwin/integer_text.h"

namespace {

// The rule read the other way round from the product: strip spaces, sign and
// prefix, insist on digits of the base, drop leading zeros and judge the size by the
// number of digits left, before any arithmetic. Nothing here shares the product's
// running overflow test.
std::optional<std::int32_t> Reference(std::u16string_view text) {
  std::u16string_view rest = text;
  while (!rest.empty() && rest.front() == u' ') rest.remove_prefix(1);

  bool negative = false;
  if (!rest.empty() && (rest.front() == u'+' || rest.front() == u'-')) {
    negative = rest.front() == u'-';
    rest.remove_prefix(1);
  }

  bool hex = false;
  for (std::u16string_view prefix : {u"0x", u"0X", u"$", u"x", u"X"}) {
    if (rest.substr(0, prefix.size()) == prefix) {
      hex = true;
      rest.remove_prefix(prefix.size());
      break;
    }
  }

  // "ABCDEF" after "abcdef": an upper-case digit's place less 6 is its value.
  const std::u16string_view digits = hex ? u"0123456789abcdefABCDEF" : u"0123456789";
  if (rest.empty()) return std::nullopt;
  for (char16_t c : rest) {
    if (digits.find(c) == std::u16string_view::npos) return std::nullopt;
  }
  while (rest.size() > 1 && rest.front() == u'0') rest.remove_prefix(1);
  if (rest.size() > (hex ? 8u : 10u)) return std::nullopt;

  std::int64_t magnitude = 0;
  for (char16_t c : rest) {
    const auto place = static_cast<std::int64_t>(digits.find(c));
    magnitude = magnitude * (hex ? 16 : 10) + (place < 16 ? place : place - 6);
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (!hex) {
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
  }
  // A hexadecimal text is a 32-bit pattern: its value, negated or not, modulo 2^32.
  constexpr std::int64_t kModulus = std::int64_t{1} << 32;
  const std::int64_t pattern = ((value % kModulus) + kModulus) % kModulus;
  return static_cast<std::int32_t>(pattern >= kModulus / 2 ? pattern - kModulus : pattern);
}

std::string Show(std::optional<std::int32_t> value) { return value ? std::to_string(*value) : std::string("no value"); }

[[noreturn]] void Disagree(const char* what, const char* reading, std::u16string_view text, const std::string& product,
                           const std::string& reference) {
  std::fprintf(stderr, "\n%s disagrees on the input read as %s, code units:", what, reading);
  for (char16_t c : text) std::fprintf(stderr, " %04X", static_cast<unsigned>(c));
  std::fprintf(stderr, "\n  product:   %s\n  reference: %s\n", product.c_str(), reference.c_str());
  std::abort();
}

void Check(const char* reading, std::u16string_view text) {
  const std::optional<std::int32_t> want = Reference(text);
  const std::optional<std::int32_t> got = vandrel::ParseInteger(text);
  if (got != want) Disagree("ParseInteger", reading, text, Show(got), Show(want));

  try {
    const std::int32_t value = vandrel::StrToInt(text);
    if (value != want) Disagree("StrToInt", reading, text, std::to_string(value), Show(want));
  } catch (const vandrel::UserError& e) {
    if (want) Disagree("StrToInt", reading, text, "an error", Show(want));
    if (e.text() != u"'" + std::u16string(text) + u"' is not a valid integer value") {
      Disagree("StrToInt's error text", reading, text, "another text", "the typed text in quotes");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  Check("UTF-16", units);

  Check("widened bytes", std::u16string(data, data + size));
  return 0;
}
