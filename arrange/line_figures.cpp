#include "arrange/line_figures.h"

#include "arrange/figure_start.h"
#include "arrange/numeric.h"
#include "desktop/placement_batch.h"

namespace vandrel::arrange {
namespace {

using namespace numeric;

// The place of the current icon: b, 1-based within its line, and the line L.
// An icon whose a * b (signed 32-bit, wrapping) passes the bound starts a new line,
// so a step above the bound leaves line 0 empty and a step of 0 never wraps.
struct LineCursor {
  std::int32_t a;
  std::int32_t bound;
  std::int32_t b = 0;
  std::int32_t line = 0;

  void Advance() {
    b = WrapAdd(b, 1);
    if (WrapMul(a, b) > bound) {
      line = WrapAdd(line, 1);
      b = 1;
    }
  }
};

// a * (b - 0.6), rounded: the x of a row's icon.
std::int32_t RowX(std::int32_t a, std::int32_t b) {
  return Wrap32(Round(Mul(static_cast<Extended>(a), Sub(static_cast<Extended>(b), kSixTenths))));
}

}  // namespace

void AlignLeft(DesktopIconView& desktop, std::int32_t a) {
  ExtendedPrecisionScope fpu;
  const FigureStart s = BeginFigure(desktop);
  LineCursor cursor{a, s.height};
  PlacementBatch batch(desktop, s.view);
  for (std::int32_t i = 0; i < s.count; ++i) {
    cursor.Advance();
    // a * (L + 0.25) is exact; when a mod 4 == 2 it lies halfway and goes to even.
    const std::int32_t x = Wrap32(Round(Mul(static_cast<Extended>(a), Add(static_cast<Extended>(cursor.line), kQuarter))));
    const std::int32_t y = WrapMul(a, WrapSub(cursor.b, 1));
    batch.Place(i, PackPosition(x, y));
  }
  batch.Send();
}

void AlignRight(DesktopIconView& desktop, std::int32_t a) {
  const FigureStart s = BeginFigure(desktop);
  LineCursor cursor{a, s.height};
  PlacementBatch batch(desktop, s.view);
  for (std::int32_t i = 0; i < s.count; ++i) {
    cursor.Advance();
    const std::int32_t x = WrapSub(s.width, WrapMul(a, WrapAdd(cursor.line, 1)));
    const std::int32_t y = WrapMul(a, WrapSub(cursor.b, 1));
    batch.Place(i, PackPosition(x, y));
  }
  batch.Send();
}

void AlignTop(DesktopIconView& desktop, std::int32_t a) {
  ExtendedPrecisionScope fpu;
  const FigureStart s = BeginFigure(desktop);
  LineCursor cursor{a, s.width};
  PlacementBatch batch(desktop, s.view);
  for (std::int32_t i = 0; i < s.count; ++i) {
    cursor.Advance();
    batch.Place(i, PackPosition(RowX(a, cursor.b), WrapMul(a, cursor.line)));
  }
  batch.Send();
}

void AlignBottom(DesktopIconView& desktop, std::int32_t a) {
  ExtendedPrecisionScope fpu;
  const FigureStart s = BeginFigure(desktop);

  // First pass: the rows of AlignTop. The offset is fixed at the icon that is the
  // last one by the count read right after placing it.
  LineCursor first{a, s.width};
  std::int32_t offset = 0;
  bool offset_set = false;
  for (std::int32_t i = 0; i < s.count; ++i) {
    first.Advance();
    desktop.SetItemPosition(s.view, i, PackPosition(RowX(a, first.b), WrapMul(a, first.line)));
    const std::int32_t m = desktop.GetItemCount(s.view);
    if (i == WrapSub(m, 1)) {
      offset = WrapSub(s.height, WrapMul(a, WrapAdd(first.line, 1)));
      offset_set = true;
    }
  }

  const std::int32_t count = desktop.GetItemCount(s.view);
  if (count <= 0) return;

  // No icon of the first pass was the last (the desktop was empty then, or its count
  // moved during the pass): lower the rows as if the new count had held still, so
  // that the last row still lies one step above the bottom edge.
  if (!offset_set) {
    LineCursor dry{a, s.width};
    for (std::int32_t i = 0; i < count; ++i) dry.Advance();
    offset = WrapSub(s.height, WrapMul(a, WrapAdd(dry.line, 1)));
  }

  LineCursor second{a, s.width};
  PlacementBatch batch(desktop, s.view);
  for (std::int32_t i = 0; i < count; ++i) {
    second.Advance();
    batch.Place(i, PackPosition(RowX(a, second.b), WrapAdd(WrapMul(a, second.line), offset)));
  }
  batch.Send();
}

}  // namespace vandrel::arrange
