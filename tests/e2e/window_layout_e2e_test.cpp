// The main window as it is laid out: the hint line kept on one line, and every place
// and the font scaled with the display's DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "driver_error.h"
#include "product.h"
#include "temp_folder.h"
#include "window_search.h"

namespace vandrel::e2e {
namespace {

constexpr wchar_t kHint[] = L"click pop menu on desktop,NOT check:view---Automatic alignment Icon ";

// The display's DPI as Wine gives it to the programs started while this lives.
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi) {
    DWORD size = sizeof old_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
           ERROR_SUCCESS;
    ready_ = Set(dpi);
  }
  ~SystemDpi() {
    if (!had_ || !Set(old_)) RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels");
  }
  bool ready() const { return ready_; }

 private:
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  static bool Set(DWORD dpi) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
  }
  DWORD old_ = 0;
  bool had_ = false;
  bool ready_ = false;
};

SIZE SizeOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST(MainWindowAt144Dpi, EveryPlaceScalesByHalfAgainAndTheHintLineIsNeverWrapped) {
  const TempFolder data;
  std::unique_ptr<Product> vandrel;
  {
    const SystemDpi dpi(144);
    ASSERT_TRUE(dpi.ready());
    vandrel = std::make_unique<Product>(DataFolderEnvironment(data));
  }
  const HWND main = vandrel->main_window();
  RECT client{};
  ASSERT_TRUE(GetClientRect(main, &client));
  // 352 x 97 at 96 DPI, from (490, 241): each edge scaled, halves rounded up as MulDiv
  // rounds them, so the height is 507 - 362.
  EXPECT_EQ(client.right, 528);
  EXPECT_EQ(client.bottom, 145);
  const struct {
    const wchar_t* caption;
    SIZE size;
  } controls[] = {{L"left", {98, 26}}, {L"cosine", {134, 26}}, {L"circle", {77, 26}}};
  for (const auto& c : controls) {
    SCOPED_TRACE(Narrow(c.caption));
    const HWND button = vandrel->Button(c.caption);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(SizeOf(button).cx, c.size.cx);
    EXPECT_EQ(SizeOf(button).cy, c.size.cy);
  }

  const HWND hint = FindDescendant(main, {L"Static", std::wstring(kHint)});
  ASSERT_NE(hint, nullptr);
  // A word-wrapping static would put "Icon " on a line below the label's one line of height.
  const auto style = static_cast<DWORD>(GetWindowLongW(hint, GWL_STYLE));
  EXPECT_EQ(style & SS_TYPEMASK, static_cast<DWORD>(SS_LEFTNOWORDWRAP)) << std::hex << "style " << style;
}

}  // namespace
}  // namespace vandrel::e2e
