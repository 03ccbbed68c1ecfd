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

#include "desktop/icon_position.h"

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
// division-by-zero, overflow or invalid-operation flag. They are inline and read only
// the x87 status word: the figures compute on the x87 alone, and an icon costs a few
// dozen of these.

namespace detail {

inline constexpr std::uint16_t kErrorFlags = 0x01 | 0x04 | 0x08;  // invalid, divide by zero, overflow

// Clears the flags and throws the error they name.
[[noreturn]] void Raise(std::uint16_t status);

inline std::uint16_t X87Status() {
  std::uint16_t sw;
  __asm__ __volatile__("fnstsw %0" : "=a"(sw));
  return sw;
}

// Pins the value on the x87 stack before the flags are read, so that the operation
// that produced it cannot be moved past the check.
inline Extended Checked(Extended r) {
  __asm__ __volatile__("" : "+t"(r));
  const std::uint16_t sw = X87Status();
  if (sw & kErrorFlags) [[unlikely]] Raise(sw);
  return r;
}

// An integer stored from the x87 stack: out of range, the store flags an invalid
// operation.
inline std::int64_t CheckedInteger(std::int64_t r) {
  const std::uint16_t sw = X87Status();
  if (sw & kErrorFlags) [[unlikely]] Raise(sw);
  return r;
}

Extended LibrarySin(Extended a);
Extended LibraryCos(Extended a);

}  // namespace detail

inline Extended Add(Extended a, Extended b) { return detail::Checked(a + b); }
inline Extended Sub(Extended a, Extended b) { return detail::Checked(a - b); }
inline Extended Mul(Extended a, Extended b) { return detail::Checked(a * b); }
inline Extended Div(Extended a, Extended b) { return detail::Checked(a / b); }

// The x87 instructions themselves, as the figures' original platform took them:
// results agree bit for bit between the Linux and the Windows build.
inline Extended Sin(Extended a) {
  Extended r = a;
  __asm__ __volatile__("fsin" : "+t"(r));
  if (detail::X87Status() & 0x400) [[unlikely]] r = detail::LibrarySin(a);
  return detail::Checked(r);
}
inline Extended Cos(Extended a) {
  Extended r = a;
  __asm__ __volatile__("fcos" : "+t"(r));
  if (detail::X87Status() & 0x400) [[unlikely]] r = detail::LibraryCos(a);
  return detail::Checked(r);
}
// Both at once, as fsin and fcos give them one by one.
struct SineCosine {
  Extended sine;
  Extended cosine;
};
inline SineCosine SinCos(Extended a) {
  // Out of range, fsincos pushes nothing: it must not be asked.
  if (!(a < 0x1p63L && a > -0x1p63L)) [[unlikely]] {
    return {detail::Checked(detail::LibrarySin(a)), detail::Checked(detail::LibraryCos(a))};
  }
  Extended s = a;
  Extended c;
  __asm__ __volatile__("fsincos" : "=t"(c), "=u"(s) : "0"(s));
  return {detail::Checked(s), detail::Checked(c)};
}
inline Extended Sqrt(Extended a) {
  Extended r = a;
  __asm__ __volatile__("fsqrt" : "+t"(r));
  return detail::Checked(r);
}
inline Extended ArcTan2(Extended y, Extended x) {
  Extended r;
  __asm__ __volatile__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
  return detail::Checked(r);
}

// Rounds to double precision (nearest, halves to even) and checks for overflow:
// the circle figures keep their angle step as a double.
double ToDouble(Extended a);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// A value outside the 64-bit range is an invalid operation.
inline std::int64_t Round(Extended a) {
  std::int64_t r;
  // fistp rounds by the control word: to nearest, halves to even, in the scope.
  __asm__ __volatile__("fistpll %0" : "=m"(r) : "t"(a) : "st");
  return detail::CheckedInteger(r);
}

// Drops the fraction toward zero (-205.7 -> -205). Same range rule as Round.
inline std::int64_t Truncate(Extended a) {
  std::int64_t r;
  // fisttp truncates whatever the rounding mode (SSE3: every x86-64 CPU that runs
  // Windows 8.1 or later has it).
  __asm__ __volatile__("fisttpll %0" : "=m"(r) : "t"(a) : "st");
  return detail::CheckedInteger(r);
}

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

// The packing belongs to the desktop's messages; the figures build positions with it.
using vandrel::PackPosition;
using vandrel::PackedX;
using vandrel::PackedY;

}  // namespace vandrel::numeric
