// The numeric rules every figure follows: x87 extended precision with an explicit
// control word, rounding half to even, truncation toward zero, integer halves,
// 16-bit packing of an icon position and wrapping signed 32-bit arithmetic.
//
// Figures compute inside an ExtendedPrecisionScope and use the checked operations
// below, so that a division by zero, an overflow or an invalid operation surfaces
// as a C++ exception at the operation that caused it instead of travelling on as
// an infinity or a NaN.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace vandrel::numeric {

static_assert(std::numeric_limits<long double>::digits == 64,
              "Vandrel's figures need an 80-bit long double with a 64-bit mantissa "
              "(x86 GCC or Clang, native or MinGW-w64). MSVC's long double is a plain "
              "double and would move icons by a pixel here and there.");

using Extended = long double;

// --- Floating-point errors -------------------------------------------------------

class FloatingPointError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class FloatDivideByZero : public FloatingPointError {
 public:
  FloatDivideByZero() : FloatingPointError("Floating point division by zero") {}
};
class FloatOverflow : public FloatingPointError {
 public:
  FloatOverflow() : FloatingPointError("Floating point overflow") {}
};
class FloatInvalidOperation : public FloatingPointError {
 public:
  FloatInvalidOperation() : FloatingPointError("Invalid floating point operation") {}
};

// Puts the FPU into the figures' mode for its lifetime: 64-bit precision, round to
// nearest, every exception masked (errors are detected from the sticky flags, never
// by a hardware trap) and the flags cleared. The caller's control word and SSE
// control/status register are restored when the scope ends, whatever a runtime
// default may have been: the MSVC runtime, for one, starts with 53-bit precision.
class ExtendedPrecisionScope {
 public:
  ExtendedPrecisionScope();
  ~ExtendedPrecisionScope();
  ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
  ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;

  // The control word the scope installs: 0x037F.
  static constexpr std::uint16_t kControlWord = 0x037F;

 private:
  std::uint16_t saved_control_word_;
  std::uint32_t saved_mxcsr_;
};

// The x87 control word now in force; for tests of the scope.
std::uint16_t CurrentControlWord();
void SetControlWord(std::uint16_t word);

// Throws the error flagged since the flags were last cleared (division by zero
// first, then invalid operation, then overflow) and clears the flags.
// Underflow, denormal operands and inexact results pass silently.
void RaisePendingErrors();

// --- Checked extended arithmetic -------------------------------------------------
// Each evaluates in extended precision and raises at once when the operation set a
// division-by-zero, overflow or invalid-operation flag.

Extended Add(Extended a, Extended b);
Extended Sub(Extended a, Extended b);
Extended Mul(Extended a, Extended b);
Extended Div(Extended a, Extended b);
Extended Sin(Extended a);
Extended Cos(Extended a);
Extended Sqrt(Extended a);
Extended ArcTan2(Extended y, Extended x);

// Rounds to double precision (nearest, halves to even) and checks for overflow:
// the circle figures keep their angle step as a double.
double ToDouble(Extended a);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// A value outside the 64-bit range is an invalid operation.
std::int64_t Round(Extended a);
// Drops the fraction toward zero (-205.7 -> -205). Same range rule as Round.
std::int64_t Truncate(Extended a);

// --- Constants: the representable extended values nearest to the decimals ---------

inline constexpr Extended kSixTenths = 0.6L;       // 0.6 + 0.2 * 2^-63
inline constexpr Extended kQuarter = 0.25L;        // exact
inline constexpr Extended kHalf = 0.5L;            // exact
inline constexpr Extended kPhaseFactor = 6.283L;   // about 1.8e-19 below 6.283
inline constexpr Extended kTwoPi = 6.283185307179586476925286766559005768L;  // 1.0e-19 above

// --- Wrapping signed 32-bit integers ---------------------------------------------
// The figures' integer terms are signed 32-bit and may wrap on extreme inputs;
// these carry out the two's-complement wrap explicitly instead of overflowing.

constexpr std::int32_t Wrap32(std::int64_t v) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}
constexpr std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
constexpr std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
constexpr std::int32_t WrapMul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// Integer half, toward zero: Half(-7) == -3.
constexpr std::int32_t Half(std::int32_t a) { return a / 2; }

// --- Icon positions ----------------------------------------------------------------

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

}  // namespace vandrel::numeric
