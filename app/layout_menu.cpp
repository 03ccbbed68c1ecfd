#include "app/layout_menu.h"

#include "app/save_layout_dialog.h"
#include "app/watch_control.h"
#include "desktop/win32_modal_box.h"
#include "layouts/display_match.h"
#include "ui/error_text.h"
#include "win32/text.h"

namespace vandrel {
namespace {

// A layout's name as a menu shows it: "&" would underline the next letter.
std::wstring MenuText(const std::string& utf8) {
  std::wstring text;
  for (wchar_t c : win32::WideFromUtf8(utf8)) {
    if (c == L'&') text += L'&';
    text += c;
  }
  return text;
}

// The user's No to a change without an undo copy: nothing moved, and nothing more to say.
template <class Handler>
auto Declinable(Handler handler) {
  return [handler] {
    try {
      handler();
    } catch (const layouts::ChangeDeclined&) {
    }
  };
}

void Clear(HMENU menu) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
}

}  // namespace

LayoutMenu::LayoutMenu(Application& app, HWND window, DesktopIconView& desktop, layouts::Layouts& layouts)
    : app_(app), window_(window), desktop_(desktop), layouts_(layouts) {
  system_menu_ = GetSystemMenu(window, FALSE);
  restore_menu_ = CreatePopupMenu();
  AppendMenuW(restore_menu_, MF_STRING | MF_GRAYED, 0, L"(none)");
  // Each inserted at the top, so in reverse order.
  InsertMenuW(system_menu_, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  InsertMenuW(system_menu_, 0, MF_BYPOSITION | MF_STRING, kKeepWatch, L"&Keep watch in the notification area");
  InsertMenuW(system_menu_, 0, MF_BYPOSITION | MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(restore_menu_),
              L"Restore &layout");
  InsertMenuW(system_menu_, 0, MF_BYPOSITION | MF_STRING, kSave, L"Sa&ve layout...");
  InsertMenuW(system_menu_, 0, MF_BYPOSITION | MF_STRING, kRestoreOriginal, L"Restore &original layout");
  InsertMenuW(system_menu_, 0, MF_BYPOSITION | MF_STRING, kRedo, L"&Redo\tCtrl+Y");
  InsertMenuW(system_menu_, 0, MF_BYPOSITION | MF_STRING, kUndo, L"&Undo\tCtrl+Z");

  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'Z', static_cast<WORD>(kUndo)},
                  {FVIRTKEY | FCONTROL, 'Y', static_cast<WORD>(kRedo)}};
  accelerators_ = CreateAcceleratorTableW(keys, 2);
}

LayoutMenu::~LayoutMenu() {
  // The menus go with the window that owns them.
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

void LayoutMenu::Prepare(HMENU popup, bool window_menu) noexcept {
  if (popup == restore_menu_ || (popup != system_menu_ && !window_menu)) return;
  try {
    FillRestoreMenu();
  } catch (...) {
    // No box while a menu is open: the entry says it instead.
    Clear(restore_menu_);
    AppendMenuW(restore_menu_, MF_STRING | MF_GRAYED, 0, L"(the layouts cannot be read)");
    shown_names_.emplace();
  }
}

void LayoutMenu::FillRestoreMenu() {
  const std::vector<layouts::LayoutSummary> list = layouts_.List();
  const DisplayConfiguration display = desktop_.ReadDisplay();
  Clear(restore_menu_);
  shown_names_.emplace();
  bool other_displays = false;
  for (const layouts::LayoutSummary& layout : list) {
    if (shown_names_->size() == kRestoreLimit) {
      AppendMenuW(restore_menu_, MF_STRING | MF_GRAYED, 0, L"(more: vandrel layout list)");
      break;
    }
    const UINT id = kRestoreFirst + kRestoreStep * static_cast<UINT>(shown_names_->size());
    std::wstring text = MenuText(layout.name);
    if (!layouts::SameDisplay(layout.display, display)) {
      // Those of other displays come after this display's, set apart by a line and
      // with the display they were made on.
      if (!other_displays && !shown_names_->empty()) AppendMenuW(restore_menu_, MF_SEPARATOR, 0, nullptr);
      other_displays = true;
      text += L'\t';
      text += win32::WideFromUtf8(layouts::Layouts::Describe(layout.display));
    }
    AppendMenuW(restore_menu_, MF_STRING, id, text.c_str());
    shown_names_->push_back(layout.name);
  }
  if (list.empty()) AppendMenuW(restore_menu_, MF_STRING | MF_GRAYED, 0, L"(none)");
}

bool LayoutMenu::Run(UINT command) {
  const auto warn = [this](std::string_view line) { Warn(line); };
  if (command == kUndo || command == kRedo) {
    app_.Handle(window_, Declinable([this, command] { Show(command == kUndo ? layouts_.Undo() : layouts_.Redo()); }));
  } else if (command == kRestoreOriginal) {
    app_.Handle(window_, Declinable([this, &warn] { Show(layouts_.RestoreOriginal(warn)); }));
  } else if (command == kSave) {
    app_.Handle(window_, [this] {
      const std::optional<std::string> name = AskLayoutName(app_.instance(), window_);
      if (!name) return;
      bool replace = false;
      if (layouts_.store().Exists(*name)) {
        const std::wstring question = win32::WideFromUtf8("Replace the layout " + *name + "?");
        if (ShowModalBox(window_, question.c_str(), Application::kTitle, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
        replace = true;
      }
      Show(layouts_.Save(*name, replace));
    });
  } else if (command == kKeepWatch) {
    // A watcher that runs already is left as it is.
    if (!watch::WatcherRunning() && !watch::StartWatcher()) Show("Vandrel cannot start its watcher.");
  } else if (command >= kRestoreFirst && command < kRestoreFirst + kRestoreStep * kRestoreLimit &&
             (command - kRestoreFirst) % kRestoreStep == 0) {
    const std::size_t index = (command - kRestoreFirst) / kRestoreStep;
    app_.Handle(window_, Declinable([this, index, &warn] {
      std::optional<std::vector<std::string>> names = std::move(shown_names_);
      shown_names_.reset();
      if (!names) {
        names.emplace();
        for (const layouts::LayoutSummary& layout : layouts_.List()) names->push_back(layout.name);
      }
      if (index < names->size()) Show(layouts_.Restore((*names)[index], warn));
    }));
  } else {
    return false;
  }
  return true;
}

void LayoutMenu::Show(const std::string& text) { desktop_.ShowMessage(win32::FromUtf8(text)); }

void LayoutMenu::Warn(std::string_view line) {
  const std::wstring text = win32::WideFromUtf8(line);
  ShowModalBox(window_, text.c_str(), Application::kTitle, MB_OK | MB_ICONWARNING);
}

}  // namespace vandrel
