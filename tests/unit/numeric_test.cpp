#include "arrange/numeric.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <numbers>

namespace vandrel::numeric {
namespace {

// Values the compiler cannot fold, so the FPU itself does the work.
Extended Opaque(Extended v) {
  volatile Extended x = v;
  return x;
}

TEST(Numeric, RoundsHalvesToEven) {
  ExtendedPrecisionScope fpu;
  const struct { Extended in; std::int64_t out; } cases[] = {
      {2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {-3.5L, -4}, {0.5L, 0}, {1.5L, 2},
      {2.4999999L, 2}, {-0.4L, 0}, {205.02L, 205}, {283.66L, 284}, {4611686018427387904.0L, 4611686018427387904},
  };
  for (const auto& c : cases) EXPECT_EQ(Round(Opaque(c.in)), c.out) << static_cast<double>(c.in);
}

TEST(Numeric, QuarterOfTheStepRoundsToEven) {
  ExtendedPrecisionScope fpu;
  const struct { std::int32_t a; std::int64_t r; } cases[] = {
      {2, 0}, {6, 2}, {10, 2}, {74, 18}, {75, 19}, {77, 19}, {78, 20},
  };
  for (const auto& c : cases) EXPECT_EQ(Round(Mul(Opaque(c.a), kQuarter)), c.r) << c.a;
}

TEST(Numeric, TruncatesTowardZero) {
  ExtendedPrecisionScope fpu;
  const struct { Extended in; std::int64_t out; } cases[] = {
      {205.7L, 205}, {-205.7L, -205}, {0.999L, 0}, {-0.999L, 0}, {349.99999999L, 349}, {-1e18L, -1000000000000000000},
  };
  for (const auto& c : cases) EXPECT_EQ(Truncate(Opaque(c.in)), c.out) << static_cast<double>(c.in);
  // Truncation must not leave the rounding mode changed.
  EXPECT_EQ(Round(Opaque(2.5L)), 2);
}

TEST(Numeric, IntegerHalfGoesTowardZero) {
  EXPECT_EQ(Half(7), 3);
  EXPECT_EQ(Half(-7), -3);
  EXPECT_EQ(Half(1024), 512);
  EXPECT_EQ(Half(INT_MIN), -1073741824);
  EXPECT_EQ(Half(INT_MAX), 1073741823);
}

TEST(Numeric, WrapsSigned32BitArithmetic) {
  EXPECT_EQ(WrapAdd(INT_MAX, 1), INT_MIN);
  EXPECT_EQ(WrapSub(INT_MIN, 1), INT_MAX);
  EXPECT_EQ(WrapMul(65536, 65536), 0);
  EXPECT_EQ(WrapMul(INT_MIN, -1), INT_MIN);
  EXPECT_EQ(WrapMul(75, 13), 975);
  EXPECT_EQ(WrapMul(-75, 2), -150);
  EXPECT_EQ(Wrap32(0x1'0000'0005LL), 5);
  EXPECT_EQ(Wrap32(-1LL), -1);
}

TEST(Numeric, PacksPositionsIntoTwoSixteenBitWords) {
  const struct { std::int32_t x, y; std::uint32_t packed; } cases[] = {
      {-5, 40, 0x0028FFFB}, {30, 588, 0x024C001E}, {-26, 0, 0x0000FFE6},
      {65600, 0, 0x00000040}, {0, -462, 0xFE320000}, {INT_MIN, INT_MAX, 0xFFFF0000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PackPosition(c.x, c.y), c.packed) << c.x << "," << c.y;
    EXPECT_EQ(PackedX(c.packed), static_cast<std::int16_t>(c.x & 0xFFFF));
    EXPECT_EQ(PackedY(c.packed), static_cast<std::int16_t>(c.y & 0xFFFF));
  }
  EXPECT_EQ(PackPosition(-5, 40) & 0xFFFF, 0xFFFBu);
  EXPECT_EQ(PackPosition(-5, 40) >> 16, 0x0028u);
}

TEST(Numeric, ConstantsAreTheNearestExtendedValues) {
  // Scaled so that the last bit of the 64-bit significand is 1.
  EXPECT_EQ(static_cast<unsigned long long>(std::ldexp(kSixTenths, 64)), 11068046444225730970ULL);
  EXPECT_EQ(static_cast<unsigned long long>(std::ldexp(kPhaseFactor, 61)), 14487611626889639100ULL);
  EXPECT_EQ(static_cast<unsigned long long>(std::ldexp(kTwoPi, 61)), 14488038916154245685ULL);
  // 0.6's excess over 0.6 is 0.2 * 2^-63: a*(b - 0.6) still rounds as a*b - 3a/5 would.
  ExtendedPrecisionScope fpu;
  EXPECT_EQ(Round(Mul(Opaque(75), Sub(Opaque(1), kSixTenths))), 30);
  EXPECT_EQ(Round(Mul(Opaque(77), Sub(Opaque(1), kSixTenths))), 31);
}

TEST(Numeric, FloatingPointErrorsBecomeExceptions) {
  ExtendedPrecisionScope fpu;
  EXPECT_THROW(Div(Opaque(1), Opaque(0)), FloatDivideByZero);
  EXPECT_THROW(Div(Opaque(0), Opaque(0)), FloatInvalidOperation);
  EXPECT_THROW(Mul(Opaque(1e4000L), Opaque(1e4000L)), FloatOverflow);
  EXPECT_THROW(Sqrt(Opaque(-1)), FloatInvalidOperation);
  EXPECT_THROW(Round(Opaque(1e30L)), FloatInvalidOperation);
  EXPECT_THROW(Truncate(Opaque(-1e30L)), FloatInvalidOperation);
  EXPECT_THROW(ToDouble(Opaque(1e400L)), FloatOverflow);
  // Underflow and inexact results pass silently, and a raised error leaves no flag behind.
  EXPECT_EQ(Mul(Opaque(1e-4000L), Opaque(1e-4000L)), 0.0L);
  EXPECT_EQ(Div(Opaque(1), Opaque(3)) * 3, 1.0L);
  EXPECT_NO_THROW(RaisePendingErrors());
}

TEST(Numeric, ErrorTextsEndWithoutFullStop) {
  // The application's error box adds the full stop.
  EXPECT_STREQ(FloatDivideByZero().what(), "Floating point division by zero");
  EXPECT_STREQ(FloatOverflow().what(), "Floating point overflow");
  EXPECT_STREQ(FloatInvalidOperation().what(), "Invalid floating point operation");
}

TEST(Numeric, ScopeSetsExtendedPrecisionAndRestoresTheCallersMode) {
  const std::uint16_t before = CurrentControlWord();
  SetControlWord(0x027F);  // 53-bit precision, as the MSVC runtime starts
  {
    ExtendedPrecisionScope fpu;
    EXPECT_EQ(CurrentControlWord(), 0x037F);
    // 1 + 2^-60 survives only with a 64-bit significand.
    EXPECT_NE(Add(Opaque(1), Opaque(std::ldexp(1.0L, -60))), 1.0L);
  }
  EXPECT_EQ(CurrentControlWord(), 0x027F);
  try {
    ExtendedPrecisionScope fpu;
    SetControlWord(0x0F7F);  // a figure may not leave the rounding mode behind it
    Div(Opaque(1), Opaque(0));
  } catch (const FloatingPointError&) {
  }
  EXPECT_EQ(CurrentControlWord(), 0x027F);
  SetControlWord(before);
}

TEST(Numeric, SineAndCosineOfTheWavePhase) {
  ExtendedPrecisionScope fpu;
  const Extended theta = Div(Mul(Opaque(102), kPhaseFactor), 1024);
  EXPECT_EQ(Round(Mul(350, Sin(theta))), 205);
  EXPECT_EQ(Round(Mul(350, Cos(theta))), 284);
  EXPECT_NEAR(static_cast<double>(ArcTan2(Opaque(1), Opaque(1))), std::numbers::pi / 4, 1e-15);
  EXPECT_EQ(ToDouble(Opaque(0.1L)), 0.1);
}

}  // namespace
}  // namespace vandrel::numeric

namespace vandrel::numeric {
namespace {

TEST(Numeric, SinCosGivesWhatSinAndCosGiveOneByOne) {
  ExtendedPrecisionScope fpu;
  const double step = ToDouble(Div(kTwoPi, Opaque(12)));
  for (int k = -50000; k <= 50000; k += 7) {
    const Extended a = Mul(Opaque(k), static_cast<Extended>(step));
    const SineCosine sc = SinCos(a);
    ASSERT_EQ(sc.sine, Sin(a)) << k;
    ASSERT_EQ(sc.cosine, Cos(a)) << k;
  }
  const Extended huge = Opaque(1e30L);  // beyond fsincos: the library reduces it
  EXPECT_EQ(SinCos(huge).sine, Sin(huge));
  EXPECT_EQ(SinCos(huge).cosine, Cos(huge));
}

}  // namespace
}  // namespace vandrel::numeric
