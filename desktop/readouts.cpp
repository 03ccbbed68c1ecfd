#include "desktop/readouts.h"

#include <cstring>
#include <string>

namespace vandrel {
namespace {

std::u16string Decimal(std::int32_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// The read fills at most the first 100 bytes; the 101st stays zero, and so does the
// whole buffer when the read fails before any byte arrives.
constexpr std::int32_t kLabelRoom = 100;
constexpr std::size_t kLabelBuffer = 101;

}  // namespace

std::u16string IconMetricsText(DesktopIconView& desktop) {
  const std::int32_t width = desktop.Metric(SystemMetric::IconWidth);
  const std::int32_t height = desktop.Metric(SystemMetric::IconHeight);
  const std::int32_t spacing = desktop.Metric(SystemMetric::IconSpacingY);
  return u"高度=" + Decimal(height) + u",宽度=" + Decimal(width) + u",间距=" + Decimal(spacing);
}

std::u16string ItemSpacingText(DesktopIconView& desktop) {
  const WindowHandle view = desktop.GetDesktopListView();
  return Decimal(desktop.GetItemSpacing(view, true));
}

std::u16string LabelText(DesktopIconView& desktop, std::int32_t index) {
  char buffer[kLabelBuffer] = {};
  const WindowHandle view = desktop.GetDesktopListView();
  desktop.GetItemTextRemote(view, index, 0, buffer, kLabelRoom);
  return desktop.DecodeLabel(std::string_view(buffer, std::strlen(buffer)));
}

}  // namespace vandrel
