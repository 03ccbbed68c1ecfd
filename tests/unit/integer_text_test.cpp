#include "testwin/integer_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <exception>
#include <random>

#include "desktop/user_error.h"

namespace vandrel {
namespace {

std::u16string U(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

TEST(ParseInteger, AcceptsWhatTheEditBoxesTake) {
  const struct { const char* text; std::int32_t value; } cases[] = {
      {"3", 3},          {" 3", 3},          {"   42", 42},        {"+7", 7},
      {"-0", 0},         {"-12", -12},       {"$A", 10},          {"x1f", 31},
      {"X1F", 31},       {"0x1F", 31},       {"0X1f", 31},        {"-$10", -16},
      {"$FFFFFFFF", -1}, {"xFFFFFFFF", -1},  {"XFFFFFFFF", -1},   {"0xFFFFFFFF", -1},
      {"0XFFFFFFFF", -1}, {"$80000000", INT_MIN}, {"-$80000000", INT_MIN}, {"$0000000001", 1},
      {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"0002147483647", INT_MAX}, {" +$7fffffff", INT_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(U(c.text)), c.value) << c.text;
}

TEST(ParseInteger, RefusesEverythingElse) {
  const char* cases[] = {
      "", " ", "abc", "3 ", "3a", "+", "-", "--3", "+-3", "0x", "$", "x", "-$", "$100000000",
      "2147483648", "-2147483649", "99999999999999999999", "\t3", "3\t", "$ A", "0x 1", " - 3", "1e3", "3.0",
      "0b101", "$G", "FFFFFFFF",
  };
  for (const char* text : cases) EXPECT_EQ(ParseInteger(U(text)), std::nullopt) << '"' << text << '"';
  EXPECT_EQ(ParseInteger(u"３"), std::nullopt);  // full-width digit
}

TEST(ParseInteger, RoundTripsRandomValuesInDecimalAndHexadecimal) {
  std::mt19937 random(20261208);
  const char* prefixes[] = {"$", "x", "X", "0x", "0X"};
  for (int n = 0; n < 20000; ++n) {
    const auto bits = static_cast<std::uint32_t>(random());
    const auto value = static_cast<std::int32_t>(bits);
    char text[32];
    std::snprintf(text, sizeof text, "%d", value);
    ASSERT_EQ(ParseInteger(U(text)), value) << text;
    std::snprintf(text, sizeof text, "%s%X", prefixes[n % 5], bits);
    ASSERT_EQ(ParseInteger(U(text)), value) << text;
    std::snprintf(text, sizeof text, "-%s%x", prefixes[n % 5], bits);
    ASSERT_EQ(ParseInteger(U(text)), static_cast<std::int32_t>(0u - bits)) << text;
  }
}

TEST(StrToInt, NamesTheTypedTextInItsError) {
  // what() is the same text in UTF-8: a catch of any std::exception prints the message.
  const struct {
    std::u16string text;
    const char* what;
  } cases[] = {
      {u"abc", "'abc' is not a valid integer value"},
      {u"", "'' is not a valid integer value"},
      {u"3 ", "'3 ' is not a valid integer value"},
      {u"值", "'\xE5\x80\xBC' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    try {
      StrToInt(c.text);
      ADD_FAILURE() << "converted";
    } catch (const UserError& e) {
      EXPECT_EQ(e.text(), u"'" + c.text + u"' is not a valid integer value");
      const std::exception& any = e;
      EXPECT_STREQ(any.what(), c.what);
    }
  }
  EXPECT_EQ(StrToInt(u" 3"), 3);
}

}  // namespace
}  // namespace vandrel
