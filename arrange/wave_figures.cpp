#include "arrange/wave_figures.h"

#include <cstdint>

#include "arrange/figure_start.h"
#include "arrange/numeric.h"
#include "desktop/placement_batch.h"

namespace vandrel::arrange {
namespace {

using namespace numeric;

using WaveFunction = Extended (*)(Extended);

// The middle line, which is also the amplitude: the wave spans y = 0 to 700.
constexpr std::int32_t kMiddleLine = 350;
constexpr Extended kPhaseDivisor = 1024.0L;

std::int32_t WaveY(std::uint16_t column, WaveFunction wave) {
  // Dividing by 1024 is exact, so x * 6.283 is the one rounding of the phase.
  const Extended phase = Div(Mul(static_cast<Extended>(column), kPhaseFactor), kPhaseDivisor);
  const std::int64_t p = Round(Mul(static_cast<Extended>(kMiddleLine), wave(phase)));
  // |p| <= 350, so the 16-bit difference is never cut: y stays within 0 .. 700.
  return static_cast<std::uint16_t>(kMiddleLine - static_cast<std::int32_t>(p));
}

void Wave(DesktopIconView& desktop, WaveFunction wave) {
  ExtendedPrecisionScope fpu;
  const FigureStart start = BeginFigure(desktop);
  std::uint16_t x = 0;
  std::int32_t step = 0;
  PlacementBatch batch(desktop, start.view);
  for (std::int32_t i = 0; i < start.count; ++i) {
    batch.Place(i, PackPosition(x, WaveY(x, wave)));
    // The step depends on W and n alone: formed once, after the first placement, so
    // an empty desktop divides nothing. |W / n| <= 2^31, which a 32-bit step holds.
    if (i == 0) step = Wrap32(Round(Div(static_cast<Extended>(start.width), static_cast<Extended>(start.count))));
    // The column is a 16-bit value: the low word of the step times i + 1, cut to 16
    // bits, so a row longer than 65535 pixels starts over from the left.
    x = static_cast<std::uint16_t>((static_cast<std::uint32_t>(step) & 0xFFFFu) * (static_cast<std::uint32_t>(i) + 1u));
  }
  batch.Send();
}

}  // namespace

void zhengxuan(DesktopIconView& desktop) { Wave(desktop, Sin); }

void yuxuan(DesktopIconView& desktop) { Wave(desktop, Cos); }

}  // namespace vandrel::arrange
