#include "arrange/circle_figures.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "arrange/figure_start.h"
#include "arrange/numeric.h"
#include "desktop/placement_batch.h"

namespace vandrel::arrange {
namespace {

using namespace numeric;

constexpr std::int32_t kMainWindowLift = 30;
constexpr std::int64_t kRingGap = 20;

constexpr std::u16string_view kRingPlaced = u"f_Circle_one";
constexpr std::u16string_view kRadiusTooSmall = u"Radius is too small.Please enlarge radius!";

// The step is kept as a double rounded from the extended quotient. That rounding is
// not the double quotient: for 12 icons the two differ by one unit in the last place,
// and the smaller one moves an icon by a pixel where a product lies a hair below a
// whole number.
double AngleStep(std::int64_t icons) { return ToDouble(Div(kTwoPi, static_cast<Extended>(icons))); }

// `place` steps round from the lowest point. Truncation toward zero, so icons that
// stand symmetrically about the centre may differ by a pixel in their offsets.
void PlaceOnCircle(PlacementBatch& batch, std::int64_t index, std::int64_t place, double step, std::int64_t r,
                   std::int32_t cx, std::int32_t cy) {
  const Extended angle = Mul(static_cast<Extended>(place), static_cast<Extended>(step));
  const Extended radius = static_cast<Extended>(r);
  const SineCosine sc = SinCos(angle);
  const std::int64_t dx = Truncate(Mul(radius, sc.sine));
  const std::int64_t dy = Truncate(Mul(radius, sc.cosine));
  batch.Place(Wrap32(index), PackPosition(Wrap32(cx + dx), Wrap32(cy + dy)));
}

// p_Circle and Circle are one procedure: only the main window lifts the centre, and
// only the test window's Circle takes a radius.
void LayCircle(DesktopIconView& desktop, std::int32_t lift, std::optional<std::int32_t> radius) {
  ExtendedPrecisionScope fpu;
  const FigureStart s = BeginFigure(desktop);
  const std::int32_t cx = Half(s.width);
  const std::int32_t cy = WrapSub(Half(s.height), lift);
  std::int32_t r = std::min(cx, cy);
  if (radius) r = std::min(r, *radius);
  if (s.count <= 0) return;

  const double step = AngleStep(s.count);
  PlacementBatch batch(desktop, s.view);
  for (std::int32_t i = 0; i < s.count; ++i) PlaceOnCircle(batch, i, i, step, r, cx, cy);
  batch.Send();
}

// The ring's item range is held in 64 bits: a run from INT_MIN to INT_MAX counts
// 2^32 items, which a 32-bit count would wrap to 0 and divide by.
void LayRing(DesktopIconView& desktop, std::int64_t r, std::int64_t first, std::int64_t last, std::int32_t cx,
             std::int32_t cy, WindowHandle view) {
  if (last < first) return;
  const double step = AngleStep(last - first + 1);
  PlacementBatch batch(desktop, view);
  for (std::int64_t j = first; j <= last; ++j) PlaceOnCircle(batch, j, last - j, step, r, cx, cy);
  batch.Send();
}

// The arcsine below has a value only for |d/2 / r| <= 1.
bool RingFits(std::int64_t r, std::int64_t d) { return 2 * r >= d || 2 * r <= -d; }

// How many icons a ring of radius r takes so that neighbours stand about d/2 apart:
// arcsin(d/2 / r) is half the angle a chord of d spans. The x87 has no arcsine; it
// is formed through fpatan. Held in 64 bits: with a spacing of 1 the count passes the
// 32-bit range from a radius of about 171 million, and a wrapped count could fit the desktop.
std::int64_t RingCount(std::int64_t r, std::int32_t d) {
  const Extended q = Div(Mul(static_cast<Extended>(d), kHalf), static_cast<Extended>(r));
  const Extended arcsin = ArcTan2(q, Sqrt(Sub(1.0L, Mul(q, q))));
  return Truncate(Div(kTwoPi, arcsin)) + 1;
}

}  // namespace

void p_Circle(DesktopIconView& desktop) { LayCircle(desktop, kMainWindowLift, std::nullopt); }

void Circle(DesktopIconView& desktop, std::int32_t radius) { LayCircle(desktop, 0, radius); }

void PlaceRing(DesktopIconView& desktop, std::int32_t radius, std::int32_t first, std::int32_t last, std::int32_t cx,
               std::int32_t cy, WindowHandle view) {
  ExtendedPrecisionScope fpu;
  LayRing(desktop, radius, first, last, cx, cy, view);
}

void RingCircle(DesktopIconView& desktop, std::int32_t radius) {
  ExtendedPrecisionScope fpu;
  const FigureStart s = BeginFigure(desktop);
  const std::int32_t cx = Half(s.width);
  const std::int32_t cy = Half(s.height);
  const std::int32_t start_radius = std::min({cx, cy, radius});
  const std::int32_t d = desktop.Metric(SystemMetric::IconSpacingY);

  // A spacing of 0 or less sizes no ring: the count would divide by zero, or come out
  // negative while the radius never shrinks below the spacing, one message box after
  // another without end.
  if (d <= 0) return;
  if (!RingFits(start_radius, d)) {
    desktop.ShowMessage(kRadiusTooSmall);
    return;
  }

  const std::int64_t n = s.count;
  std::int64_t k = RingCount(start_radius, d);
  if (k > n) {
    Circle(desktop, start_radius);
    return;
  }

  // 64 bits throughout: a radius of -d/2 or less gives a negative count (an empty
  // ring), and from INT_MIN the next radius lies below the 32-bit range.
  std::int64_t r = start_radius;
  std::int64_t first = 0;
  std::int64_t last = k - 1;
  std::int64_t unplaced = n;
  for (;;) {
    LayRing(desktop, r, first, last, cx, cy, s.view);
    desktop.ShowMessage(kRingPlaced);
    r -= d + kRingGap;
    unplaced -= k;
    if (r < d) {
      desktop.ShowMessage(kRadiusTooSmall);
      return;
    }
    k = RingCount(r, d);
    first = n - unplaced;
    if (k > unplaced) {
      // The last ring is not filled: it takes just the icons still unplaced, and the
      // rings already laid stay as they are.
      if (unplaced > 0) {
        LayRing(desktop, r, first, n - 1, cx, cy, s.view);
        desktop.ShowMessage(kRingPlaced);
      }
      return;
    }
    last = first + k - 1;
  }
}

}  // namespace vandrel::arrange
