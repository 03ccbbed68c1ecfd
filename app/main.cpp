// Vandrel: lays the desktop icons out in figures.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "app/command_line.h"
#include "app/command_runner.h"
#include "app/data_folder.h"
#include "app/layout_menu.h"
#include "app/main_window.h"
#include "desktop/desktop_icon_view.h"
#include "desktop/win32_desktop_port.h"
#include "desktop/win32_modal_box.h"
#include "layouts/layout_store.h"
#include "layouts/layouts.h"
#include "testwin/test_window.h"
#include "ui/application.h"
#include "vandrel_version.h"
#include "win32/text.h"

// Both windows carry the shared figures as FigureHost's own members, never as copies
// of their own: the same click sends the same messages from either window.
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::shizi), decltype(&vandrel::TForm1::shizi)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::huanrao), decltype(&vandrel::TForm1::huanrao)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::zhengxuan), decltype(&vandrel::TForm1::zhengxuan)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::AlignLeft), decltype(&vandrel::TForm1::AlignLeft)>);
static_assert(std::is_same_v<decltype(&vandrel::TF_icon_cn::SetTextColor), decltype(&vandrel::TForm1::SetTextColor)>);

namespace {

// The box of a change that would keep no undo copy: Yes goes on without one.
bool AskWithoutUndo(HWND owner, const std::string& reason) {
  const std::wstring text = vandrel::win32::WideFromUtf8("Vandrel cannot keep an undo copy of the icons: " + reason +
                                                         ". Lay them out anyway?");
  return vandrel::ShowModalBox(owner, text.c_str(), vandrel::Application::kTitle,
                               MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

// `begin` (a change's lock and undo copy) held as long as the change runs; null when
// the user would not go on without an undo copy.
template <class Begin>
vandrel::FigureHost::BeforeChangeHook Holding(Begin begin) {
  return [begin]() -> std::shared_ptr<void> {
    try {
      return std::make_shared<vandrel::layouts::Layouts::Hold>(begin());
    } catch (const vandrel::layouts::ChangeDeclined&) {
      return nullptr;
    }
  };
}

int RunWindows(HINSTANCE instance, int show, bool keep_undo) {
  using namespace vandrel;

  Application app(instance);
  Win32DesktopPort port(u"vandrel");
  DesktopIconView desktop(port);

  // Created first, the main window is the one whose closing ends the program.
  TF_icon_cn main_window(app, desktop);
  port.set_owner(reinterpret_cast<WindowHandle>(main_window.handle()));

  // Then the developer's bench, hidden.
  TForm1 form1(app, desktop);

  // Without a folder for its layouts Vandrel still lays icons out, with nothing to undo.
  std::optional<std::filesystem::path> folder;
  try {
    folder = DataFolder();
  } catch (const std::exception&) {
  }
  if (!folder) return app.Run(main_window.handle(), show);

  // Every change either window makes is put on the undo history first, one change of
  // all Vandrel processes at a time.
  layouts::LayoutStore store(*folder);
  layouts::Layouts layouts(desktop, store);
  layouts.set_keep_undo(keep_undo);
  layouts.set_ask_without_undo(
      [&main_window](const std::string& reason) { return AskWithoutUndo(main_window.handle(), reason); });
  const auto before_change = Holding([&layouts] { return layouts.BeginChange(); });
  main_window.set_before_change(before_change);
  form1.set_before_change(before_change);
  main_window.set_before_free_placement(Holding([&layouts] { return layouts.BeginFreePlacement(); }));

  LayoutMenu menu(app, main_window.handle(), desktop, layouts);
  main_window.set_layout_menu(&menu);
  const int status = app.Run(main_window.handle(), show, menu.accelerators());
  main_window.set_layout_menu(nullptr);
  return status;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace vandrel;
  // Run from a Downloads folder, the program must not load a DLL someone left beside it:
  // DLLs come from System32 only, before anything could ask for one.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

  // With arguments Vandrel does the one job they name, opens no window, and ends.
  const std::vector<std::string> arguments = cli::ProcessArguments();
  const bool keep_undo = arguments != std::vector<std::string>{cli::kNoUndoOption};
  if (!arguments.empty() && keep_undo) return cli::RunCommandLine(arguments, VANDREL_VERSION_TEXT);
  // A window that cannot be made is said, with the system's reason, and ends the run:
  // the program does not go on with no window to show.
  try {
    return RunWindows(instance, show, keep_undo);
  } catch (...) {
    Application::ShowError(nullptr, std::current_exception());
    return 1;
  }
}
