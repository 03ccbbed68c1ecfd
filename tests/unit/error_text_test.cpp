#include "app/error_text.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(ErrorBoxText, AddsAFullStopOnlyAfterCharactersAboveIt) {
  const struct { std::u16string in, out; } cases[] = {
      {u"'abc' is not a valid integer value", u"'abc' is not a valid integer value."},
      {u"Floating point division by zero", u"Floating point division by zero."},
      {u"'' is not a valid integer value", u"'' is not a valid integer value."},
      {u"done.", u"done."},   // the full stop itself
      {u"what!", u"what!"},   // '!' lies below '.'
      {u"(x)", u"(x)"},       // so does ')'
      {u"1/2", u"1/2."},      // '/' lies just above
      {u"值", u"值."},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.in), c.out);
}

TEST(FromUtf8, DecodesAndReplacesWhatIsNotText) {
  const struct { std::string in; std::u16string out; } cases[] = {
      {"abc", u"abc"},
      {"\xE5\x89\xA9\xE4\xBD\x99", u"剩余"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a\xFFz", u"a\uFFFDz"},
      {"\xE5\x89", u"\uFFFD\uFFFD"},        // cut short
      {"\xC0\xAF", u"\uFFFD\uFFFD"},        // overlong '/'
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate
  };
  for (const auto& c : cases) EXPECT_EQ(FromUtf8(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace vandrel
