#include "app/save_layout_dialog.h"

#include <cstddef>
#include <cstring>
#include <exception>
#include <vector>

#include "layouts/layout_store.h"
#include "ui/application.h"
#include "win32/text.h"

namespace vandrel {
namespace {

// Predefined control classes, by atom.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// Builds a DLGTEMPLATE and its items: WORD-sized fields, strings as UTF-16 with their
// terminator, every item starting on a DWORD boundary.
class DialogTemplate {
 public:
  DialogTemplate(const wchar_t* caption, short width, short height, const wchar_t* font, WORD points) {
    DLGTEMPLATE header{};
    header.style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    header.cx = width;
    header.cy = height;
    Append(&header, sizeof header);
    Word(0);  // no menu
    Word(0);  // the standard dialog class
    Text(caption);
    Word(points);
    Text(font);
  }

  void Item(WORD window_class, const wchar_t* text, int id, DWORD style, short x, short y, short cx, short cy) {
    while (words_.size() % 2 != 0) words_.push_back(0);
    DLGITEMTEMPLATE item{};
    item.style = WS_CHILD | WS_VISIBLE | style;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = static_cast<WORD>(id);
    Append(&item, sizeof item);
    Word(0xFFFF);
    Word(window_class);
    Text(text);
    Word(0);  // no creation data
    ++items_;
  }

  const DLGTEMPLATE* Finish() {
    std::memcpy(words_.data() + offsetof(DLGTEMPLATE, cdit) / sizeof(WORD), &items_, sizeof items_);
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
  }

 private:
  void Append(const void* bytes, std::size_t size) {
    const std::size_t at = words_.size();
    words_.resize(at + size / sizeof(WORD));
    std::memcpy(words_.data() + at, bytes, size);
  }
  void Word(WORD word) { words_.push_back(word); }
  void Text(const wchar_t* text) {
    do {
      words_.push_back(static_cast<WORD>(*text));
    } while (*text++ != 0);
  }

  // WORDs: DLGTEMPLATE and DLGITEMTEMPLATE are packed to 2 and hold whole WORDs, and
  // the allocation itself is aligned far past the DWORD the dialog manager needs.
  std::vector<WORD> words_;
  WORD items_ = 0;
};

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
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<std::string> AskLayoutName(HINSTANCE instance, HWND owner) {
  DialogTemplate dialog(kSaveLayoutCaption, 200, 62, L"MS Shell Dlg", 8);
  dialog.Item(kStaticClass, L"Name of the layout:", kLayoutNameLabelId, SS_LEFT | SS_NOPREFIX, 7, 7, 186, 9);
  dialog.Item(kEditClass, L"", kLayoutNameEditId, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 18, 186, 14);
  dialog.Item(kButtonClass, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 89, 41, 50, 14);
  dialog.Item(kButtonClass, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 143, 41, 50, 14);

  DialogState state;
  const INT_PTR answer =
      DialogBoxIndirectParamW(instance, dialog.Finish(), owner, DialogProc, reinterpret_cast<LPARAM>(&state));
  if (state.error) std::rethrow_exception(state.error);
  if (answer != IDOK) return std::nullopt;
  return state.name;
}

}  // namespace vandrel
