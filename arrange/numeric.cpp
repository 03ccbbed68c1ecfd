#include "arrange/numeric.h"

#include <cmath>

#if !defined(__x86_64__) && !defined(__i386__)
#error "Vandrel's figures compute on the x87 unit; build for x86 or x86-64."
#endif

namespace vandrel::numeric {
namespace {

constexpr std::uint16_t kInvalid = 0x01;
constexpr std::uint16_t kDivideByZero = 0x04;
constexpr std::uint16_t kOverflow = 0x08;

// SSE: every exception masked, round to nearest, no flush-to-zero, flags clear.
constexpr std::uint32_t kMxcsr = 0x1F80;

std::uint32_t Mxcsr() {
  std::uint32_t v;
  __asm__ __volatile__("stmxcsr %0" : "=m"(v));
  return v;
}

void SetMxcsr(std::uint32_t v) { __asm__ __volatile__("ldmxcsr %0" : : "m"(v)); }

void ClearFlags() {
  __asm__ __volatile__("fnclex");
  SetMxcsr(Mxcsr() & ~0x3Fu);
}

[[noreturn]] void Throw(bool divide, bool invalid) {
  ClearFlags();
  if (divide) throw FloatDivideByZero();
  if (invalid) throw FloatInvalidOperation();
  throw FloatOverflow();
}

}  // namespace

std::uint16_t CurrentControlWord() {
  std::uint16_t cw;
  __asm__ __volatile__("fnstcw %0" : "=m"(cw));
  return cw;
}

void SetControlWord(std::uint16_t word) { __asm__ __volatile__("fldcw %0" : : "m"(word)); }

ExtendedPrecisionScope::ExtendedPrecisionScope()
    : saved_control_word_(CurrentControlWord()), saved_mxcsr_(Mxcsr()) {
  SetControlWord(kControlWord);
  SetMxcsr(kMxcsr);
  ClearFlags();
}

ExtendedPrecisionScope::~ExtendedPrecisionScope() {
  __asm__ __volatile__("fnclex");
  SetControlWord(saved_control_word_);
  SetMxcsr(saved_mxcsr_);
}

void RaisePendingErrors() {
  const std::uint16_t x87 = detail::X87Status();
  const std::uint32_t sse = Mxcsr();
  const bool divide = (x87 & kDivideByZero) || (sse & 0x04);
  const bool invalid = (x87 & kInvalid) || (sse & 0x01);
  const bool overflow = (x87 & kOverflow) || (sse & 0x08);
  if (divide || invalid || overflow) Throw(divide, invalid);
}

namespace detail {

void Raise(std::uint16_t status) { Throw(status & kDivideByZero, status & kInvalid); }

Extended LibrarySin(Extended a) { return std::sin(a); }
Extended LibraryCos(Extended a) { return std::cos(a); }

}  // namespace detail

double ToDouble(Extended a) {
  volatile double d = static_cast<double>(a);
  RaisePendingErrors();
  return d;
}

}  // namespace vandrel::numeric
