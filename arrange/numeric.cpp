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
constexpr std::uint16_t kConditionC2 = 0x400;  // fsin/fcos: argument out of range
constexpr std::uint16_t kRoundTowardZero = 0x0C00;

// SSE: every exception masked, round to nearest, no flush-to-zero, flags clear.
constexpr std::uint32_t kMxcsr = 0x1F80;

std::uint16_t StatusWord() {
  std::uint16_t sw;
  __asm__ __volatile__("fnstsw %0" : "=m"(sw));
  return sw;
}

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

// Forces the value into memory before the flags are read, so that the operation
// that produced it cannot be moved past the check.
Extended Checked(Extended r) {
  __asm__ __volatile__("" : "+m"(r));
  RaisePendingErrors();
  // A compiler that folded an operation at build time raised no flag; the value
  // still tells.
  if (std::isnan(r)) throw FloatInvalidOperation();
  if (std::isinf(r)) throw FloatOverflow();
  return r;
}

// The x87 instructions themselves, as the figures' original platform took them:
// results agree bit for bit between the Linux and the Windows build.
bool HardwareSinCos(Extended a, bool cosine, Extended& out) {
  Extended r = a;
  if (cosine) {
    __asm__ __volatile__("fcos" : "+t"(r));
  } else {
    __asm__ __volatile__("fsin" : "+t"(r));
  }
  if (StatusWord() & kConditionC2) return false;  // |a| >= 2^63: left unreduced
  out = r;
  return true;
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
  const std::uint16_t x87 = StatusWord();
  const std::uint32_t sse = Mxcsr();
  const bool divide = (x87 & kDivideByZero) || (sse & 0x04);
  const bool invalid = (x87 & kInvalid) || (sse & 0x01);
  const bool overflow = (x87 & kOverflow) || (sse & 0x08);
  if (!(divide || invalid || overflow)) return;
  ClearFlags();
  if (divide) throw FloatDivideByZero();
  if (invalid) throw FloatInvalidOperation();
  throw FloatOverflow();
}

Extended Add(Extended a, Extended b) { return Checked(a + b); }
Extended Sub(Extended a, Extended b) { return Checked(a - b); }
Extended Mul(Extended a, Extended b) { return Checked(a * b); }
Extended Div(Extended a, Extended b) { return Checked(a / b); }

Extended Sin(Extended a) {
  Extended r;
  if (!HardwareSinCos(a, false, r)) r = std::sin(a);
  return Checked(r);
}

Extended Cos(Extended a) {
  Extended r;
  if (!HardwareSinCos(a, true, r)) r = std::cos(a);
  return Checked(r);
}

Extended Sqrt(Extended a) {
  Extended r = a;
  __asm__ __volatile__("fsqrt" : "+t"(r));
  return Checked(r);
}

Extended ArcTan2(Extended y, Extended x) {
  Extended r;
  __asm__ __volatile__("fpatan" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
  return Checked(r);
}

double ToDouble(Extended a) {
  volatile double d = static_cast<double>(a);
  RaisePendingErrors();
  const double out = d;
  if (std::isnan(out)) throw FloatInvalidOperation();
  if (std::isinf(out)) throw FloatOverflow();
  return out;
}

std::int64_t Round(Extended a) {
  std::int64_t r;
  // fistp rounds by the control word: to nearest, halves to even, in the scope.
  __asm__ __volatile__("fistpll %0" : "=m"(r) : "t"(a) : "st");
  RaisePendingErrors();  // out of range: the invalid-operation flag
  return r;
}

std::int64_t Truncate(Extended a) {
  const std::uint16_t cw = CurrentControlWord();
  SetControlWord(static_cast<std::uint16_t>(cw | kRoundTowardZero));
  std::int64_t r;
  __asm__ __volatile__("fistpll %0" : "=m"(r) : "t"(a) : "st");
  SetControlWord(cw);
  RaisePendingErrors();
  return r;
}

}  // namespace vandrel::numeric
