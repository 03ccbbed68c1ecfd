// The text of the application's error box, and the decoding of an error's message.
#pragma once

#include <string>
#include <string_view>

namespace vandrel {

// An error's text as the error box shows it: a full stop is added when the code of
// the last character is above that of the full stop ("abc" -> "abc.", "done!" stays).
std::u16string ErrorBoxText(std::u16string_view message);

// std::exception::what() is UTF-8 here; bytes that do not decode become U+FFFD.
std::u16string FromUtf8(std::string_view text);

// An error raised while a click is handled, carrying its user-visible text.
class UserError : public std::exception {
 public:
  explicit UserError(std::u16string text) : text_(std::move(text)) {}
  const char* what() const noexcept override { return "vandrel::UserError"; }
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
};

}  // namespace vandrel
