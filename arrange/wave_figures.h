// Icons along a wave from the left edge of the work area to the right: a sine wave
// (`zhengxuan`) starting on the middle line, or a cosine wave (`yuxuan`) starting at
// the top. The vertical shape is fixed in pixels, y from 0 to 700 around y = 350,
// whatever the height of the work area; the icons are spread evenly over its width,
// and the phase advances 6.283 radians per 1024 pixels of x.
#pragma once

#include "desktop/desktop_icon_view.h"

namespace vandrel::arrange {

void zhengxuan(DesktopIconView& desktop);
void yuxuan(DesktopIconView& desktop);

}  // namespace vandrel::arrange
