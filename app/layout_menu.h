// The layouts in the main window's window menu, above the system's own entries:
//   Undo (Ctrl+Z), Redo (Ctrl+Y), Restore original layout, Save layout..., Restore layout > the saved
//   layouts, this display's first and newest first.
// Results and errors come in the program's message box.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_icon_view.h"
#include "layouts/layouts.h"
#include "ui/application.h"

namespace vandrel {

class LayoutMenu {
 public:
  // WM_SYSCOMMAND identifiers: below the system's own (0xF000 and up), with the low
  // four bits clear, which the system keeps for itself.
  static constexpr UINT kUndo = 0x1010;
  static constexpr UINT kRedo = 0x1040;
  static constexpr UINT kRestoreOriginal = 0x1020;
  static constexpr UINT kSave = 0x1030;
  static constexpr UINT kKeepWatch = 0x1040;
  // kRestoreFirst + kRestoreStep * i restores the i-th layout in the order of
  // Layouts::List, the order `vandrel layout list` prints.
  static constexpr UINT kRestoreFirst = 0x2000;
  static constexpr UINT kRestoreStep = 0x10;
  static constexpr std::size_t kRestoreLimit = 256;

  LayoutMenu(Application& app, HWND window, DesktopIconView& desktop, layouts::Layouts& layouts);
  ~LayoutMenu();
  LayoutMenu(const LayoutMenu&) = delete;
  LayoutMenu& operator=(const LayoutMenu&) = delete;

  // Ctrl+Z and Ctrl+Y, sent to the main window as kUndo and kRedo.
  HACCEL accelerators() const { return accelerators_; }

  // WM_INITMENUPOPUP: the window menu is about to open, with the layouts as they are now.
  void Prepare(HMENU popup, bool window_menu) noexcept;
  // WM_SYSCOMMAND (wparam & 0xFFF0) or an accelerator's WM_COMMAND: false when the
  // command is not one of these.
  bool Run(UINT command);

 private:
  void FillRestoreMenu();
  void Show(const std::string& text);
  void Warn(std::string_view line);

  Application& app_;
  HWND window_;
  DesktopIconView& desktop_;
  layouts::Layouts& layouts_;
  HMENU system_menu_ = nullptr;
  HMENU restore_menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  // The names behind the restore entries, as the menu showed them; read afresh for a
  // command that comes without the menu having been opened for it.
  std::optional<std::vector<std::string>> shown_names_;
};

}  // namespace vandrel
