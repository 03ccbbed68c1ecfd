// The Win32 port's way to the shell's folder view, beside its list-view messages.
#include <utility>

#include "desktop/win32_desktop_port.h"
#include "desktop/win32_folder_view.h"

namespace vandrel {
namespace {

win32::FolderViewSession* Session(FolderViewHandle handle) {
  return reinterpret_cast<win32::FolderViewSession*>(handle);
}

// Whether the folder view can be the one of `list_view`, without a COM call. The
// desktop the shell's window list names is the shell's own, in the process that made
// itself the shell window (Explorer's "Progman"); a list view anywhere else, such as a
// stand-in desktop under Wine, which has no shell window at all, cannot be its view.
// Cheap where the lookup is not: loading ole32 and starting COM cost tens of
// milliseconds under Wine, and asking for the window list a third of one.
// The shell window first: the cheapest question, and the one Wine answers no to.
bool MayHaveFolderView(HWND list_view) {
  const HWND shell = GetShellWindow();
  DWORD shell_process = 0;
  DWORD view_process = 0;
  if (shell == nullptr || list_view == nullptr || GetWindowThreadProcessId(shell, &shell_process) == 0 ||
      GetWindowThreadProcessId(list_view, &view_process) == 0 || shell_process != view_process) {
    return false;
  }
  char name[32];
  const HWND defview = GetParent(list_view);
  return defview != nullptr && GetClassNameA(defview, name, sizeof name) != 0 &&
         SameWindowClass(name, "SHELLDLL_DefView");
}

}  // namespace

FolderViewHandle Win32DesktopPort::OpenFolderView(WindowHandle list_view) {
  const HWND view = reinterpret_cast<HWND>(list_view);
  if (!MayHaveFolderView(view)) return 0;
  // From here on the shell keeps a record the positions belong in: a lookup that fails
  // is a failure the user hears of, not a desktop without a folder view.
  const win32::Ole32* ole32 = win32::LoadOle32();
  auto find = [ole32, defview = GetParent(view)]() -> win32::ComPtr<IFolderView> {
    win32::ComPtr<IShellWindows> windows;
    if (ole32 == nullptr ||
        FAILED(ole32->create_instance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows))) ||
        windows == nullptr) {
      return nullptr;
    }
    return win32::FindDesktopFolderView(*windows.Get(), defview);
  };
  return reinterpret_cast<FolderViewHandle>(new win32::FolderViewSession(ole32, std::move(find), answer_limit_ms_));
}

ShellCommit Win32DesktopPort::CommitToShell(FolderViewHandle handle, const ShellHandOver& hand_over) {
  win32::FolderViewSession* session = Session(handle);
  return session != nullptr ? session->Commit(hand_over) : ShellCommit::Skipped;
}

std::vector<std::string> Win32DesktopPort::ParsingNames(FolderViewHandle handle,
                                                        const std::vector<std::string>& labels) {
  win32::FolderViewSession* session = Session(handle);
  return session != nullptr ? session->ParsingNames(labels) : std::vector<std::string>{};
}

void Win32DesktopPort::CloseFolderView(FolderViewHandle handle) { delete Session(handle); }

}  // namespace vandrel
