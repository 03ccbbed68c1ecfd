// `vandrel doctor`: what a bug report needs, read and printed; nothing is moved or set.
#pragma once

#include <string_view>

#include "app/standard_streams.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/desktop_port.h"
#include "layouts/layout_store.h"

namespace vandrel::cli {

// Prints everything it can read. Throws std::runtime_error naming what it could not read
// (the reasons joined), after printing the rest.
void RunDoctor(StandardStreams& streams, DesktopIconView& desktop, DesktopPort& port, std::string_view version);

}  // namespace vandrel::cli
