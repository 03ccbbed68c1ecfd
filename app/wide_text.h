// UTF-8, the text of exceptions, layout names and files, to and from the UTF-16 of the
// W functions.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);
std::string ToUtf8(std::u16string_view text);
// Bytes that do not decode become U+FFFD. std::exception::what() is UTF-8 here.
std::wstring WideFromUtf8(std::string_view text);
std::u16string FromUtf8(std::string_view text);

}  // namespace vandrel
