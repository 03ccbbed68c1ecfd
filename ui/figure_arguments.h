// The fixed arguments the test window's buttons hand to the shared figures. The command
// line takes them as the defaults of the figures only the test window runs, so that
// `vandrel figure walk` lays the icons as the "环绕" button does.
#pragma once

#include <cstdint>

namespace vandrel {

inline constexpr std::int32_t kTestWindowStep = 77;
// "f_circle"'s radius; no window runs the rings with a radius of its own (the test window
// reads it from an edit box), so the command line's rings take this one too.
inline constexpr std::int32_t kTestWindowRadius = 350;
// "颜色": red labels on no background.
inline constexpr std::uint32_t kRedLabels = 0x000000FF;

}  // namespace vandrel
