// Vandrel: lays the desktop icons out in figures.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <type_traits>

#include "app/application.h"
#include "app/main_window.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/win32_desktop_port.h"
#include "testwin/test_window.h"

// Both windows carry the shared figures as FigureHost's own members, never as copies
// of their own: the same click sends the same messages from either window.
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::shizi), decltype(&vandrel::TForm1::shizi)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::huanrao), decltype(&vandrel::TForm1::huanrao)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::zhengxuan), decltype(&vandrel::TForm1::zhengxuan)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::AlignLeft), decltype(&vandrel::TForm1::AlignLeft)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::SetTextColor), decltype(&vandrel::TForm1::SetTextColor)>);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace vandrel;

  Application app(instance);
  Win32DesktopPort port(u"vandrel");
  DesktopIconView desktop(port);

  // Created first, the main window is the one whose closing ends the program.
  TF_icon_cn main_window(app, desktop);
  port.set_owner(reinterpret_cast<WindowHandle>(main_window.handle()));

  // Then the developer's bench, hidden.
  TForm1 form1(app, desktop);

  return app.Run(main_window.handle(), show);
}
