// The shell's folder view of the desktop, reached through COM on the thread that drives
// the list view: found from the shell's window list, handed a change's final positions
// in one call, and asked for its items' parsing names. Every failure answers "nothing
// done": by the time this runs, the list-view messages have placed the icons.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After <windows.h>:
#include <exdisp.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/desktop_port.h"

namespace vandrel::win32 {

using Microsoft::WRL::ComPtr;

// The ole32 functions this needs, looked up on first use rather than linked: a linked
// ole32 loads at every start of the program (under Wine, more than the rest of start-up
// costs) for a step that most desktops never reach. Null where ole32 cannot be loaded.
struct Ole32 {
  HRESULT(WINAPI* initialize)(void* reserved, DWORD model);
  HRESULT(WINAPI* create_instance)(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** out);
  HRESULT(WINAPI* register_message_filter)(IMessageFilter* filter, IMessageFilter** previous);
  void(WINAPI* task_free)(void* block);
};
const Ole32* LoadOle32();

// Joins this thread to a single-threaded apartment the first time it asks, and stays in
// it for the thread's life: the shell's objects are apartment-threaded, and leaving
// would pull COM down under anything else on the thread that uses it. False when the
// thread is in the multithreaded apartment already (no message filter can limit a
// call there) or COM cannot start.
bool JoinApartment(const Ole32& ole32);

// The desktop's folder view: the shell's window list -> its desktop browser -> the
// browser's active view. Null unless that view's window is `defview`, the view whose
// list view was just driven.
ComPtr<IFolderView> FindDesktopFolderView(IShellWindows& windows, HWND defview);

// Positions every icon of `placed` in one call, then reads each position back. Skipped
// (no call made) when the folder view does not hold `item_count` items, the list view's
// count: its indices would name other icons.
ShellCommit CommitPositions(IFolderView& view, const std::vector<PlacedIcon>& placed, int item_count);

// Items 0 to count - 1 by their parsing names (SHGDN_FORPARSING), in UTF-8; empty
// unless the view holds exactly `count` items and every name could be read.
std::vector<std::string> ParsingNames(IFolderView& view, std::int32_t count);

// While it lives, an outgoing COM call from this thread that has not come back after
// `limit_ms` is cancelled (it fails with RPC_E_CALL_CANCELED), and one the other side
// refuses as busy is tried again until then: the same limit as the list-view messages.
// The previous message filter is put back at the end.
class CallTimeLimit {
 public:
  CallTimeLimit(const Ole32& ole32, unsigned limit_ms);
  ~CallTimeLimit();
  CallTimeLimit(const CallTimeLimit&) = delete;
  CallTimeLimit& operator=(const CallTimeLimit&) = delete;

  // Whether the limit stands: false when the filter or its timer could not be put in
  // place. The filter is asked only when a message comes, and a hung shell sends none:
  // without the timer's wake-ups nothing would end the wait.
  bool active() const { return registered_ && ticker_ != nullptr; }
  // Whether a call has been given up on: the shell did not answer in time.
  bool gave_up() const { return gave_up_; }

 private:
  // Ends with its CallTimeLimit, never through the interface, which has no virtual
  // destructor by COM's design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
  class Filter : public IMessageFilter {
   public:
    explicit Filter(CallTimeLimit& limit) : limit_(limit) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    // Lives as long as the CallTimeLimit that holds it, which outlasts its registration.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override;
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed_ms, DWORD) override;
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD elapsed_ms, DWORD) override;

   private:
    CallTimeLimit& limit_;
  };
#pragma GCC diagnostic pop

  // What the filter answers `elapsed_ms` into a call: go on waiting (or try again), or
  // give up.
  bool InTime(DWORD elapsed_ms);

  const Ole32& ole32_;
  DWORD limit_ms_;
  Filter filter_{*this};
  IMessageFilter* previous_ = nullptr;
  bool registered_ = false;
  bool gave_up_ = false;
  HANDLE ticker_ = nullptr;
};

}  // namespace vandrel::win32
