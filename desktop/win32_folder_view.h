// The shell's folder view of the desktop, reached through COM from a thread of its own:
// found from the shell's window list, handed a change's final positions in one call, and
// asked for its items' parsing names. Its items are found by their names, never by the
// list view's indexes: the folder view keeps an order of its own.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After <windows.h>:
#include <exdisp.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/desktop_port.h"
#include "win32/handles.h"

namespace vandrel::win32 {

using Microsoft::WRL::ComPtr;

// The ole32 functions this needs, looked up on first use rather than linked: a linked
// ole32 loads at every start of the program (under Wine, more than the rest of start-up
// costs) for a step that most desktops never reach. Null where ole32 cannot be loaded.
struct Ole32 {
  HRESULT(WINAPI* initialize)(void* reserved, DWORD model);
  void(WINAPI* uninitialize)();
  HRESULT(WINAPI* create_instance)(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);
  void(WINAPI* task_free)(void* block);
};
const Ole32* LoadOle32();

// The desktop's folder view: the shell's window list -> its desktop browser -> the
// browser's active view. Null unless that view's window is `defview`, the view whose
// list view was just driven.
ComPtr<IFolderView> FindDesktopFolderView(IShellWindows& windows, HWND defview);

// Clears the folder view's own auto-arrange and snap-to-grid, positions every icon of
// `hand_over` that can be found in one call (SVSI_NOSTATECHANGE: the user's selection
// stays), reads each position back, then sets the two settings as `hand_over` says. An
// icon is found by its item's in-folder name, in the ANSI code page as the list view
// shows it, against its label; of icons whose labels repeat, the n-th in the list view
// is the n-th in the folder view, and none of them is found when the two views hold
// different numbers of that label.
ShellCommit CommitPositions(IFolderView& view, const ShellHandOver& hand_over);

// The parsing name (SHGDN_FORPARSING, UTF-8) of each icon of `labels`, found as above;
// "" for one not found. Empty when the view's items cannot be read.
std::vector<std::string> ParsingNames(IFolderView& view, const std::vector<std::string>& labels);

// The folder view's position of each of the first `first` icons of `labels`, found as
// above; nullopt for one not found. Empty when the view's items cannot be read.
std::vector<std::optional<Point>> ItemPositions(IFolderView& view, const std::vector<std::string>& labels,
                                                std::size_t first);

// One step's hold on the folder view, on a thread of its own in the multithreaded
// apartment: a call into a hung Explorer holds that thread, never the caller's. The
// caller waits for each call up to the limit while it takes the messages sent to it,
// as it does for a list-view message, and gives up on the thread after a call that did
// not come back in time: every later call then answers Failed at once.
class FolderViewSession {
 public:
  // `find` runs first on the session's thread and yields the view (null for none).
  // Without ole32 there is no thread, and every call answers Failed.
  FolderViewSession(const Ole32* ole32, std::function<ComPtr<IFolderView>()> find, unsigned limit_ms);
  ~FolderViewSession();
  FolderViewSession(const FolderViewSession&) = delete;
  FolderViewSession& operator=(const FolderViewSession&) = delete;

  ShellCommit Commit(const ShellHandOver& hand_over);
  std::vector<std::string> ParsingNames(const std::vector<std::string>& labels);
  std::vector<std::optional<Point>> ItemPositions(const std::vector<std::string>& labels, std::size_t first);

 private:
  struct Shared;
  // False when the thread is given up on, or `job` did not end within the limit.
  bool Run(std::function<void(IFolderView*)> job);

  std::shared_ptr<Shared> shared_;
  unsigned limit_ms_;
  Handle thread_;
  bool given_up_ = false;
};

}  // namespace vandrel::win32
