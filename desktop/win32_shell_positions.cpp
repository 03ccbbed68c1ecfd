// The Win32 port's way to the shell's folder view, beside its list-view messages.
#include <climits>
#include <memory>

#include "desktop/win32_desktop_port.h"
#include "desktop/win32_folder_view.h"

namespace vandrel {
namespace {

// One step's hold on the folder view; the port's handle points at it.
struct FolderViewSession {
  FolderViewSession(const win32::Ole32& ole32, unsigned limit_ms) : limit(ole32, limit_ms) {}
  // First in, last out: the view is let go while the limit still stands.
  win32::CallTimeLimit limit;
  win32::ComPtr<IFolderView> view;
  HWND list_view = nullptr;
};

FolderViewSession* Session(FolderViewHandle handle) { return reinterpret_cast<FolderViewSession*>(handle); }

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
  const win32::Ole32* ole32 = win32::LoadOle32();
  if (ole32 == nullptr || !win32::JoinApartment(*ole32)) return 0;
  auto session = std::make_unique<FolderViewSession>(*ole32, answer_limit_ms_);
  // Without the limit, a shell that stops answering would hold Vandrel with it.
  if (!session->limit.active()) return 0;
  win32::ComPtr<IShellWindows> windows;
  if (FAILED(ole32->create_instance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows))) ||
      windows == nullptr) {
    return 0;
  }
  session->view = win32::FindDesktopFolderView(*windows.Get(), GetParent(view));
  if (session->view == nullptr) return 0;
  session->list_view = view;
  return reinterpret_cast<FolderViewHandle>(session.release());
}

ShellCommit Win32DesktopPort::CommitToShell(FolderViewHandle handle, const std::vector<PlacedIcon>& placed) {
  FolderViewSession* session = Session(handle);
  if (session == nullptr) return ShellCommit::Skipped;
  // Indices name the same icons in both views only while both hold the same items.
  const std::intptr_t count = Send(reinterpret_cast<WindowHandle>(session->list_view), lvm::kGetItemCount, 0, 0);
  if (count < 0 || count > INT_MAX) return ShellCommit::Skipped;
  return win32::CommitPositions(*session->view.Get(), placed, static_cast<int>(count));
}

std::vector<std::string> Win32DesktopPort::ParsingNames(FolderViewHandle handle, std::int32_t count) {
  FolderViewSession* session = Session(handle);
  return session != nullptr ? win32::ParsingNames(*session->view.Get(), count) : std::vector<std::string>{};
}

void Win32DesktopPort::CloseFolderView(FolderViewHandle handle) { delete Session(handle); }

}  // namespace vandrel
