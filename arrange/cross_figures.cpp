#include "arrange/cross_figures.h"

#include <string>

#include "arrange/figure_start.h"
#include "arrange/numeric.h"
#include "desktop/placement_batch.h"

namespace vandrel::arrange {
namespace {

using namespace numeric;

// The steps and every bound test are worked in 64 bits, where they cannot wrap:
// W + H and 2 (W + H) of a huge work area would otherwise turn the step negative,
// and a wrapped s * place would slip a step above the bound back under it. Only
// what travels is cut to 32 and then 16 bits, and a cut of the exact value keeps
// the same low 16 bits that a cut of the wrapped one would.
std::int64_t RoundedQuotient(std::int64_t dividend, std::int64_t divisor) {
  return Round(Div(static_cast<Extended>(dividend), static_cast<Extended>(divisor)));
}

std::uint32_t Packed(std::int64_t x, std::int64_t y) { return PackPosition(Wrap32(x), Wrap32(y)); }

std::u16string LeftOverText(std::int64_t left_over) {
  const std::string digits = std::to_string(left_over);
  return u"剩余图标" + std::u16string(digits.begin(), digits.end());
}

// The walk of huanrao, into `batch`; answers the text of the box to show when it is
// over, or nothing.
std::u16string Walk(const FigureStart& f, std::int32_t p, PlacementBatch& batch) {
  const std::int64_t width = f.width;
  const std::int64_t height = f.height;

  // Any count at or below zero is an empty desktop: a nonsense negative answer must
  // neither divide by zero (n = -4) nor turn the step negative and refuse every p.
  const std::int64_t n = f.count > 0 ? f.count : 0;
  // |s| <= 2^33 / 4, and every product of a step and an index below stays under 2^62.
  const std::int64_t s = RoundedQuotient(2 * (width + height), n + 4);
  if (p > s) return u"应该多条曲线";

  // s * 0.5 is exact; an odd s lies halfway and goes to the even neighbour.
  const std::int64_t half_step = Round(Mul(static_cast<Extended>(s), kHalf));
  int phase = 1;
  std::int64_t first_of_phase = 0;  // i2, i3 or i4, for the phase now running
  for (std::int64_t i = 0; i < n; ++i) {
    const auto view_index = static_cast<std::int32_t>(i);
    // A step that does not place item i hands it to the next phase in the same pass.
    if (phase == 1) {
      // The run ends on i * (s - 1), not on the x placed: its last icon lies past W.
      if (i * (s - 1) < width) {
        batch.Place(view_index, Packed((i + 1) * s, 0));
        continue;
      }
      phase = 2;
      first_of_phase = i;
    }
    if (phase == 2) {
      const std::int64_t y = (i - first_of_phase + 1) * s;
      if (y < height) {
        batch.Place(view_index, Packed(width - half_step, y));
        continue;
      }
      phase = 3;
      first_of_phase = i;
    }
    if (phase == 3) {
      const std::int64_t x = width - (i - first_of_phase) * s;
      if (x > 0) {
        batch.Place(view_index, Packed(x, height - half_step));
        continue;
      }
      phase = 4;
      first_of_phase = i;
    }
    const std::int64_t y = height - (i - first_of_phase + 1) * s;
    if (y > 0) {
      batch.Place(view_index, Packed(0, y));
      continue;
    }
    // The icon at which the walk ends is not counted among those left over.
    return i < n - 1 ? LeftOverText(n - 1 - i) : std::u16string();
  }
  return {};
}

std::u16string WalkAroundTheEdge(DesktopIconView& desktop, std::int32_t p) {
  ExtendedPrecisionScope fpu;
  const FigureStart f = BeginFigure(desktop);
  PlacementBatch batch(desktop, f.view);
  const std::u16string message = Walk(f, p, batch);
  batch.Send();
  return message;
}

}  // namespace

void shizi(DesktopIconView& desktop, std::int32_t p) {
  ExtendedPrecisionScope fpu;
  const FigureStart f = BeginFigure(desktop);
  if (f.count <= 0) return;

  // |s| <= 2^32, and the place b never passes n < 2^31: b * s stays inside 64 bits.
  const std::int64_t s = RoundedQuotient(std::int64_t{f.width} + f.height, f.count);
  // The real half of W: an odd W puts every column halfway, and each goes to its
  // even neighbour on its own, so the columns sit alternately left and right.
  const Extended middle = Div(static_cast<Extended>(f.width), 2.0L);
  std::int32_t column = 0;
  std::int32_t b = 0;
  PlacementBatch batch(desktop, f.view);
  for (std::int32_t i = 0; i < f.count; ++i) {
    ++b;
    // Tested once: after a wrap the icon takes the top of the new column even when
    // s > H, so that a step above H leaves column 0 empty.
    if (b * s > f.height) {
      ++column;
      b = 1;
    }
    const std::int32_t x = Wrap32(Round(Add(middle, static_cast<Extended>(WrapMul(column, p)))));
    const std::int32_t y = WrapMul(b - 1, Wrap32(s));
    batch.Place(i, PackPosition(x, y));
  }
  batch.Send();
}

void huanrao(DesktopIconView& desktop, std::int32_t p) {
  // The box is shown once the figure has given the FPU back: the modal loop runs the
  // program's window procedures, which must see the caller's control word.
  const std::u16string message = WalkAroundTheEdge(desktop, p);
  if (!message.empty()) desktop.ShowMessage(message);
}

}  // namespace vandrel::arrange
