#include "app/save_layout_dialog.h"

#include <cstddef>
#include <exception>

#include "layouts/layout_store.h"
#include "ui/application.h"
#include "win32/text.h"

namespace vandrel {
namespace {

struct DialogState {
  std::string name;
  std::exception_ptr error;
};

std::wstring EditText(HWND edit) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return text;
}

// True when the dialog may close with `state->name`.
bool Accept(HWND dialog, DialogState* state) {
  HWND edit = GetDlgItem(dialog, kLayoutNameEditId);
  std::string name = win32::ToUtf8(EditText(edit));
  const std::string reason = layouts::CheckSaveName(name);
  if (reason.empty()) {
    state->name = std::move(name);
    return true;
  }
  Application::ShowError(dialog, win32::FromUtf8(reason));
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  return false;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    // Characters, not the UTF-8 bytes CheckLayoutName counts: it has the last word.
    SendDlgItemMessageW(dialog, kLayoutNameEditId, EM_LIMITTEXT, layouts::kMaxNameLength, 0);
    return TRUE;  // the focus goes to the edit box, the first control that takes it
  }
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message != WM_COMMAND || state == nullptr) return FALSE;
  switch (LOWORD(wparam)) {
    case IDOK:
      // Nothing may unwind through the dialog manager: an error closes the dialog and
      // is raised again once it is gone.
      try {
        if (Accept(dialog, state)) EndDialog(dialog, IDOK);
      } catch (...) {
        state->error = std::current_exception();
        EndDialog(dialog, IDCANCEL);
      }
      return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

std::optional<std::string> AskLayoutName(HINSTANCE instance, HWND owner) {
  DialogState state;
  const INT_PTR answer = DialogBoxParamW(instance, MAKEINTRESOURCEW(VANDREL_SAVE_LAYOUT_DIALOG), owner, DialogProc,
                                         reinterpret_cast<LPARAM>(&state));
  if (state.error) std::rethrow_exception(state.error);
  if (answer != IDOK) return std::nullopt;
  return state.name;
}

}  // namespace vandrel
