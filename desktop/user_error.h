// An error raised while a click is handled, carrying its user-visible text: the test
// window's conversions raise it, and the application's error box shows it. It lives
// with the desktop view, below both windows, so that neither reaches into the other.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace vandrel {

class UserError : public std::exception {
 public:
  explicit UserError(std::u16string text) : text_(std::move(text)) {}
  const char* what() const noexcept override { return "vandrel::UserError"; }
  const std::u16string& text() const { return text_; }

 private:
  std::u16string text_;
};

}  // namespace vandrel
