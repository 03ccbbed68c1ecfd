// The texts of the diagnostic read-outs: the icon metrics, the view's icon spacing and
// one icon's label.
#pragma once

#include <cstdint>
#include <string>

#include "desktop/desktop_icon_view.h"

namespace vandrel {

// "高度=<icon height>,宽度=<icon width>,间距=<vertical icon spacing>", from the system
// metrics read in the order width, height, spacing.
std::u16string IconMetricsText(DesktopIconView& desktop);

// The view's small-icon spacing as the view packs it, vertical * 65536 + horizontal,
// written as one signed decimal number: 75 by 75 reads "4915275".
std::u16string ItemSpacingText(DesktopIconView& desktop);

// The label of icon `index`: at most 99 bytes, decoded from the ANSI code page. Empty
// when there is no such icon, no view, or the shell's process cannot be read.
std::u16string LabelText(DesktopIconView& desktop, std::int32_t index);

}  // namespace vandrel
