// The program's text conversions: UTF-8 (exceptions, layout names, files, pipes) to and
// from the UTF-16 of the W functions, and the ANSI code page of the list-view messages
// to and from UTF-16.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandrel::win32 {

// Lone surrogates become U+FFFD, as desktop/utf8_text.h's portable encoder makes them:
// a name must come out the same whichever of the two encoded it.
std::string ToUtf8(std::wstring_view text);
std::string ToUtf8(std::u16string_view text);
// Bytes that do not decode become U+FFFD. std::exception::what() is UTF-8 here.
std::wstring WideFromUtf8(std::string_view text);
std::u16string FromUtf8(std::string_view text);

// The system's ANSI code page, as the shell's labels and some of its names come.
// Characters the code page lacks become its default character.
std::u16string FromAnsiCodePage(std::string_view bytes);
std::string ToAnsiCodePage(std::u16string_view text);

// The system's conversions count in int: a longer text throws std::length_error rather
// than being cut or wrapped.
int CheckedLength(std::size_t size);

}  // namespace vandrel::win32
