// An error raised while a click is handled, carrying its user-visible text: the test
// window's conversions raise it, and the application's error box shows it. It lives
// with the desktop view, below both windows, so that neither reaches into the other.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "desktop/utf8_text.h"

namespace vandrel {

class UserError : public std::exception {
 public:
  explicit UserError(std::u16string text) : text_(std::move(text)), what_(Utf16ToUtf8(text_)) {}
  // The text in UTF-8, for whoever catches any std::exception and prints what().
  const char* what() const noexcept override { return what_.c_str(); }
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
  std::string what_;
};

}  // namespace vandrel
