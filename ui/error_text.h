// The text of the application's error box.
#pragma once

#include <string>
#include <string_view>

#include "desktop/user_error.h"

namespace vandrel {

// An error's text as the error box shows it: a full stop is added when the code of
// the last character is above that of the full stop ("abc" -> "abc.", "done!" stays).
std::u16string ErrorBoxText(std::u16string_view message);

}  // namespace vandrel
