// Layout names that look the same are the same: a name is compared, and its file named,
// after Unicode normalisation to NFC and case folding, so that "Café" typed precomposed
// or decomposed, or "Äpfel" and "äpfel", are one layout. Windows does it with its own
// NormalizeString and LCMapStringEx; the native build, which only runs the tests, with ICU.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::layouts {

// `utf8` (valid UTF-8) normalised and case-folded, as UTF-8.
std::string FoldName(std::string_view utf8);

}  // namespace vandrel::layouts
