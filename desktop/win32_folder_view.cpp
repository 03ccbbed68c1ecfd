#include "desktop/win32_folder_view.h"

#include <shlguid.h>

#include <cstring>
#include <memory>
#include <string_view>

#include "desktop/utf8_text.h"
#include "desktop/win32_support.h"

namespace vandrel::win32 {
namespace {

// An item identifier the folder view allocated for the caller.
struct TaskMemory {
  void operator()(ITEMID_CHILD* id) const {
    if (const Ole32* ole32 = LoadOle32()) ole32->task_free(id);
  }
};
using ItemId = std::unique_ptr<ITEMID_CHILD, TaskMemory>;

ItemId ItemAt(IFolderView& view, int index) {
  PITEMID_CHILD id = nullptr;
  if (FAILED(view.Item(index, &id))) {
    // A proxy may hand one back with the failure.
    ItemId discard(id);
    return nullptr;
  }
  return ItemId(id);
}

bool HoldsItems(IFolderView& view, std::int64_t count) {
  int held = 0;
  return SUCCEEDED(view.ItemCount(SVGIO_ALLVIEW, &held)) && held == count;
}

// A folder answers a name in one of three forms; StrRetToStrW would say the same, but
// shlwapi would be one more library loaded at every start. False for a form unknown, or
// a text that does not end where it must.
bool NameText(STRRET& name, const ITEMID_CHILD& id, std::string& out) {
  switch (name.uType) {
    case STRRET_WSTR: {
      const std::unique_ptr<wchar_t, void (*)(wchar_t*)> text(name.pOleStr, [](wchar_t* p) {
        if (const Ole32* ole32 = LoadOle32()) ole32->task_free(p);
      });
      if (text == nullptr) return false;
      out = Utf16ToUtf8(std::wstring_view(text.get()));
      return true;
    }
    case STRRET_OFFSET: {
      // Inside the item's own identifier, which says how long it is.
      const std::size_t size = id.mkid.cb;
      if (name.uOffset >= size) return false;
      const char* text = reinterpret_cast<const char*>(&id) + name.uOffset;
      const std::size_t room = size - name.uOffset;
      const void* end = std::memchr(text, 0, room);
      if (end == nullptr) return false;
      out = Utf16ToUtf8(FromAnsiCodePage(std::string_view(text, static_cast<const char*>(end))));
      return true;
    }
    case STRRET_CSTR: {
      const void* end = std::memchr(name.cStr, 0, sizeof name.cStr);
      if (end == nullptr) return false;
      out = Utf16ToUtf8(FromAnsiCodePage(std::string_view(name.cStr, static_cast<const char*>(end))));
      return true;
    }
  }
  return false;
}

// Messages that wake the thread while it waits for a call: COM asks the message filter
// only when a message arrives, and a shell that has stopped answering sends none.
void CALLBACK Tick(void* thread, BOOLEAN) {
  PostThreadMessageW(static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(thread)), WM_NULL, 0, 0);
}

}  // namespace

const Ole32* LoadOle32() {
  static const Ole32* const loaded = []() -> const Ole32* {
    const HMODULE module = LoadLibraryW(L"ole32.dll");
    if (module == nullptr) return nullptr;
    static Ole32 entries;
    entries.initialize = Entry<decltype(entries.initialize)>(module, "CoInitializeEx");
    entries.create_instance = Entry<decltype(entries.create_instance)>(module, "CoCreateInstance");
    entries.register_message_filter =
        Entry<decltype(entries.register_message_filter)>(module, "CoRegisterMessageFilter");
    entries.task_free = Entry<decltype(entries.task_free)>(module, "CoTaskMemFree");
    const bool whole = entries.initialize != nullptr && entries.create_instance != nullptr &&
                       entries.register_message_filter != nullptr && entries.task_free != nullptr;
    return whole ? &entries : nullptr;
  }();
  return loaded;
}

bool JoinApartment(const Ole32& ole32) {
  // S_OK and S_FALSE both leave a reference held: one per thread, never given back.
  thread_local const bool joined = SUCCEEDED(ole32.initialize(nullptr, COINIT_APARTMENTTHREADED));
  return joined;
}

ComPtr<IFolderView> FindDesktopFolderView(IShellWindows& windows, HWND defview) {
  // Set up by hand: VariantInit would link oleaut32 for a memset.
  VARIANT location{};
  location.vt = VT_I4;
  location.lVal = 0;  // CSIDL_DESKTOP
  VARIANT root{};     // VT_EMPTY
  LONG window = 0;
  ComPtr<IDispatch> desktop;
  // S_FALSE, with no object, when the shell has registered no desktop.
  if (windows.FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &desktop) != S_OK ||
      desktop == nullptr) {
    return nullptr;
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IFolderView> folder_view;
  HWND view_window = nullptr;
  if (FAILED(desktop.As(&services)) || FAILED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser))) ||
      browser == nullptr || FAILED(browser->QueryActiveShellView(&view)) || view == nullptr ||
      FAILED(view->GetWindow(&view_window)) || view_window != defview || FAILED(view.As(&folder_view))) {
    return nullptr;
  }
  return folder_view;
}

ShellCommit CommitPositions(IFolderView& view, const std::vector<PlacedIcon>& placed, int item_count) {
  if (placed.empty() || !HoldsItems(view, item_count)) return ShellCommit::Skipped;
  std::vector<ItemId> items;
  std::vector<PCUITEMID_CHILD> ids;
  std::vector<POINT> points;
  items.reserve(placed.size());
  ids.reserve(placed.size());
  points.reserve(placed.size());
  for (const PlacedIcon& icon : placed) {
    items.push_back(ItemAt(view, icon.index));
    if (items.back() == nullptr) return ShellCommit::Skipped;
    ids.push_back(items.back().get());
    points.push_back(POINT{icon.x, icon.y});
  }
  // One call for all: each is a round trip to the shell's process, and each makes the
  // shell save its record.
  std::vector<POINT> sent = points;
  if (FAILED(view.SelectAndPositionItems(static_cast<UINT>(ids.size()), ids.data(), sent.data(), SVSI_POSITIONITEM))) {
    return ShellCommit::Skipped;
  }
  for (std::size_t i = 0; i < ids.size(); ++i) {
    POINT held{};
    // A read that fails leaves the positions in doubt, which is what NotKept says.
    if (FAILED(view.GetItemPosition(ids[i], &held)) || held.x != points[i].x || held.y != points[i].y) {
      return ShellCommit::NotKept;
    }
  }
  return ShellCommit::Kept;
}

std::vector<std::string> ParsingNames(IFolderView& view, std::int32_t count) {
  ComPtr<IShellFolder> folder;
  if (count <= 0 || !HoldsItems(view, count) || FAILED(view.GetFolder(IID_PPV_ARGS(&folder))) || folder == nullptr) {
    return {};
  }
  std::vector<std::string> names(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const ItemId id = ItemAt(view, i);
    STRRET name{};
    name.uType = STRRET_CSTR;
    if (id == nullptr || FAILED(folder->GetDisplayNameOf(id.get(), SHGDN_FORPARSING, &name)) ||
        !NameText(name, *id, names[static_cast<std::size_t>(i)])) {
      return {};
    }
  }
  return names;
}

CallTimeLimit::CallTimeLimit(const Ole32& ole32, unsigned limit_ms) : ole32_(ole32), limit_ms_(limit_ms) {
  registered_ = SUCCEEDED(ole32_.register_message_filter(&filter_, &previous_));
  if (!registered_) return;
  // Ten wake-ups within the limit: a call is cancelled at most a tenth late.
  const DWORD period = limit_ms_ / 10 > 0 ? limit_ms_ / 10 : 1;
  void* thread = reinterpret_cast<void*>(static_cast<std::uintptr_t>(GetCurrentThreadId()));
  if (!CreateTimerQueueTimer(&ticker_, nullptr, Tick, thread, period, period, WT_EXECUTEDEFAULT)) ticker_ = nullptr;
}

CallTimeLimit::~CallTimeLimit() {
  // Waits for a tick under way, so that none comes after.
  if (ticker_ != nullptr) DeleteTimerQueueTimer(nullptr, ticker_, INVALID_HANDLE_VALUE);
  if (!registered_) return;
  IMessageFilter* ours = nullptr;
  ole32_.register_message_filter(previous_, &ours);
  // COM held a reference to the previous filter while ours stood in its place.
  if (previous_ != nullptr) previous_->Release();
}

bool CallTimeLimit::InTime(DWORD elapsed_ms) {
  if (elapsed_ms >= limit_ms_) gave_up_ = true;
  return !gave_up_;
}

HRESULT STDMETHODCALLTYPE CallTimeLimit::Filter::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
    *out = static_cast<IMessageFilter*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

DWORD STDMETHODCALLTYPE CallTimeLimit::Filter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) {
  return SERVERCALL_ISHANDLED;
}

// A shell too busy to take a call now is asked again a little later, until the limit.
DWORD STDMETHODCALLTYPE CallTimeLimit::Filter::RetryRejectedCall(HTASK, DWORD elapsed_ms, DWORD) {
  constexpr DWORD kRetryAfterMs = 100;
  return limit_.InTime(elapsed_ms) ? kRetryAfterMs : static_cast<DWORD>(-1);
}

DWORD STDMETHODCALLTYPE CallTimeLimit::Filter::MessagePending(HTASK, DWORD elapsed_ms, DWORD) {
  return limit_.InTime(elapsed_ms) ? PENDINGMSG_WAITDEFPROCESS : PENDINGMSG_CANCELCALL;
}

}  // namespace vandrel::win32
