#include "ui/error_text.h"

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

}  // namespace
}  // namespace vandrel
