#include "desktop/win32_folder_view.h"

#include <shlguid.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "desktop/desktop_contents.h"
#include "desktop/utf8_text.h"
#include "win32/entry.h"
#include "win32/text.h"

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

// A folder answers a name in one of three forms; StrRetToStrW would say the same, but
// shlwapi would be one more library loaded at every start. False for a form unknown, or
// a text that does not end where it must.
bool NameText(STRRET& name, const ITEMID_CHILD& id, std::u16string& out) {
  switch (name.uType) {
    case STRRET_WSTR: {
      const std::unique_ptr<wchar_t, void (*)(wchar_t*)> text(name.pOleStr, [](wchar_t* p) {
        if (const Ole32* ole32 = LoadOle32()) ole32->task_free(p);
      });
      if (text == nullptr) return false;
      const std::wstring_view wide(text.get());
      out.assign(wide.begin(), wide.end());
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
      out = FromAnsiCodePage(std::string_view(text, static_cast<const char*>(end)));
      return true;
    }
    case STRRET_CSTR: {
      const void* end = std::memchr(name.cStr, 0, sizeof name.cStr);
      if (end == nullptr) return false;
      out = FromAnsiCodePage(std::string_view(name.cStr, static_cast<const char*>(end)));
      return true;
    }
  }
  return false;
}

bool NameOf(IShellFolder& folder, const ITEMID_CHILD& id, SHGDNF form, std::u16string& out) {
  STRRET name{};
  name.uType = STRRET_CSTR;
  return SUCCEEDED(folder.GetDisplayNameOf(&id, form, &name)) && NameText(name, id, out);
}

// A name as the list view shows it: in the ANSI code page, cut where a whole-desktop
// read cuts a label.
std::string AsListViewLabel(std::u16string_view text) {
  std::string out = ToAnsiCodePage(text);
  if (out.size() > kSnapshotLabelRoom - 1) out.resize(kSnapshotLabelRoom - 1);
  return out;
}

// The folder view's items, in its own order, and for each list-view label the item it
// names (null for none).
struct FoundItems {
  ComPtr<IShellFolder> folder;
  std::vector<ItemId> items;
  std::vector<const ITEMID_CHILD*> of_label;
};

bool FindItems(IFolderView& view, const std::vector<std::string>& labels, FoundItems& found) {
  int count = 0;
  if (FAILED(view.ItemCount(SVGIO_ALLVIEW, &count)) || count < 0 ||
      FAILED(view.GetFolder(IID_PPV_ARGS(&found.folder))) || found.folder == nullptr) {
    return false;
  }
  // Each name's items, in the folder view's order. One whose name cannot be read is in
  // none, which leaves the icons of its label unfound when it is one of them.
  std::vector<std::string> names(static_cast<std::size_t>(count));
  std::unordered_map<std::string_view, std::vector<const ITEMID_CHILD*>> by_name;
  found.items.reserve(names.size());
  for (int i = 0; i < count; ++i) {
    found.items.push_back(ItemAt(view, i));
    std::u16string name;
    if (found.items.back() == nullptr || !NameOf(*found.folder.Get(), *found.items.back(), SHGDN_INFOLDER, name)) {
      continue;
    }
    std::string& label = names[static_cast<std::size_t>(i)];
    label = AsListViewLabel(name);
    by_name[label].push_back(found.items.back().get());
  }
  std::unordered_map<std::string_view, std::vector<std::size_t>> by_label;
  for (std::size_t i = 0; i < labels.size(); ++i) by_label[labels[i]].push_back(i);
  found.of_label.assign(labels.size(), nullptr);
  for (const auto& [label, icons] : by_label) {
    const auto items = by_name.find(label);
    // An icon of a repeated label that came or went would shift every later one.
    if (items == by_name.end() || items->second.size() != icons.size()) continue;
    for (std::size_t k = 0; k < icons.size(); ++k) found.of_label[icons[k]] = items->second[k];
  }
  return true;
}

constexpr DWORD kArranging = DWORD{FWF_AUTOARRANGE} | DWORD{FWF_SNAPTOGRID};

// Sets the folder view's own arrangement flags where it has them to set.
void SetArranging(IFolderView2* view, DWORD wanted) {
  DWORD flags = 0;
  if (view != nullptr && SUCCEEDED(view->GetCurrentFolderFlags(&flags)) && (flags & kArranging) != wanted) {
    view->SetCurrentFolderFlags(kArranging, wanted);
  }
}

// The shell still snaps, and every point it holds is within one grid step of the one
// given: it put them on its grid rather than elsewhere.
bool Snapped(IFolderView& view, IFolderView2* view2, const std::vector<POINT>& given, const std::vector<POINT>& held) {
  DWORD flags = 0;
  POINT grid{};
  if (view2 == nullptr || FAILED(view2->GetCurrentFolderFlags(&flags)) || (flags & FWF_SNAPTOGRID) == 0 ||
      FAILED(view.GetSpacing(&grid)) || grid.x <= 0 || grid.y <= 0) {
    return false;
  }
  for (std::size_t i = 0; i < given.size(); ++i) {
    // Positions are 16-bit values: the differences cannot overflow.
    if (std::abs(held[i].x - given[i].x) >= grid.x || std::abs(held[i].y - given[i].y) >= grid.y) return false;
  }
  return true;
}

// Waits for `object` up to `limit_ms` while running the messages other threads send to
// this one, as a wait for a list-view answer does. True when it was signalled.
bool WaitTakingSentMessages(HANDLE object, unsigned limit_ms) {
  const ULONGLONG deadline = GetTickCount64() + limit_ms;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    const DWORD woken = MsgWaitForMultipleObjectsEx(1, &object, left, QS_SENDMESSAGE, 0);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + 1) return false;
    MSG ignored;
    PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

const Ole32* LoadOle32() {
  static const Ole32* const loaded = []() -> const Ole32* {
    const HMODULE module = SystemModule(L"ole32.dll");
    if (module == nullptr) return nullptr;
    static Ole32 entries;
    entries.initialize = Entry<decltype(entries.initialize)>(module, "CoInitializeEx");
    entries.uninitialize = Entry<decltype(entries.uninitialize)>(module, "CoUninitialize");
    entries.create_instance = Entry<decltype(entries.create_instance)>(module, "CoCreateInstance");
    entries.task_free = Entry<decltype(entries.task_free)>(module, "CoTaskMemFree");
    const bool whole = entries.initialize != nullptr && entries.uninitialize != nullptr &&
                       entries.create_instance != nullptr && entries.task_free != nullptr;
    return whole ? &entries : nullptr;
  }();
  return loaded;
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

ShellCommit CommitPositions(IFolderView& view, const ShellHandOver& hand_over) {
  if (hand_over.placed.empty()) return ShellCommit::Skipped;
  FoundItems found;
  if (!FindItems(view, hand_over.labels, found)) return ShellCommit::Failed;
  std::vector<PCUITEMID_CHILD> ids;
  std::vector<POINT> points;
  ids.reserve(hand_over.placed.size());
  points.reserve(hand_over.placed.size());
  bool all_found = true;
  for (const PlacedIcon& icon : hand_over.placed) {
    const auto at = static_cast<std::size_t>(icon.index);
    if (icon.index < 0 || at >= found.of_label.size() || found.of_label[at] == nullptr) {
      all_found = false;
      continue;
    }
    ids.push_back(found.of_label[at]);
    points.push_back(POINT{icon.x, icon.y});
  }
  if (ids.empty()) return ShellCommit::Unidentified;

  // Since Windows 10 1809 the shell arranges by its own settings, not the list view's
  // style: while they stand, the call would arrange or snap what it is given.
  ComPtr<IFolderView2> view2;
  if (FAILED(view.QueryInterface(IID_PPV_ARGS(&view2)))) view2 = nullptr;
  SetArranging(view2.Get(), 0);
  // Arranging, it would also move every icon it was not given.
  if (view.GetAutoArrange() == S_OK) return ShellCommit::Arranging;

  // One call for all: each is a round trip to the shell's process, and each makes the
  // shell save its record. The user's selection and focus stay as they are.
  std::vector<POINT> sent = points;
  const HRESULT positioned = view.SelectAndPositionItems(static_cast<UINT>(ids.size()), ids.data(), sent.data(),
                                                         SVSI_POSITIONITEM | SVSI_NOSTATECHANGE);
  ShellCommit result = all_found ? ShellCommit::Kept : ShellCommit::Unidentified;
  if (FAILED(positioned)) {
    result = ShellCommit::Failed;
  } else {
    std::vector<POINT> held(ids.size());
    bool read = true;
    bool same = true;
    for (std::size_t i = 0; i < ids.size() && read; ++i) {
      read = SUCCEEDED(view.GetItemPosition(ids[i], &held[i]));
      same = same && held[i].x == points[i].x && held[i].y == points[i].y;
    }
    // A read that fails leaves the positions in doubt, which is what NotKept says.
    if (!read) result = ShellCommit::NotKept;
    if (read && !same) result = Snapped(view, view2.Get(), points, held) ? ShellCommit::Snapped : ShellCommit::NotKept;
  }
  SetArranging(view2.Get(), (hand_over.auto_arrange ? DWORD{FWF_AUTOARRANGE} : 0u) |
                                (hand_over.snap_to_grid ? DWORD{FWF_SNAPTOGRID} : 0u));
  return result;
}

std::vector<std::string> ParsingNames(IFolderView& view, const std::vector<std::string>& labels) {
  FoundItems found;
  if (!FindItems(view, labels, found)) return {};
  std::vector<std::string> names(labels.size());
  for (std::size_t i = 0; i < labels.size(); ++i) {
    std::u16string name;
    if (found.of_label[i] != nullptr && NameOf(*found.folder.Get(), *found.of_label[i], SHGDN_FORPARSING, name)) {
      names[i] = Utf16ToUtf8(name);
    }
  }
  return names;
}

std::vector<std::optional<Point>> ItemPositions(IFolderView& view, const std::vector<std::string>& labels,
                                                std::size_t first) {
  FoundItems found;
  if (!FindItems(view, labels, found)) return {};
  std::vector<std::optional<Point>> positions(std::min(first, labels.size()));
  for (std::size_t i = 0; i < positions.size(); ++i) {
    POINT at{};
    if (found.of_label[i] != nullptr && SUCCEEDED(view.GetItemPosition(found.of_label[i], &at))) {
      positions[i] = Point{at.x, at.y};
    }
  }
  return positions;
}

// What the caller and the session's thread share. The caller writes `job` only while
// the thread is idle; after it gives up on the thread it writes nothing more, and the
// thread ends on its own.
struct FolderViewSession::Shared {
  explicit Shared(const Ole32* com) : ole32(com) {}
  Shared(const Shared&) = delete;
  Shared& operator=(const Shared&) = delete;

  static DWORD WINAPI Loop(void* context) {
    const std::unique_ptr<std::shared_ptr<Shared>> owned(static_cast<std::shared_ptr<Shared>*>(context));
    Shared& self = **owned;
    // Its own apartment: the multithreaded one needs no messages pumped, and nothing
    // else of the program's runs on this thread.
    const bool joined = SUCCEEDED(self.ole32->initialize(nullptr, COINIT_MULTITHREADED));
    {
      ComPtr<IFolderView> view;
      for (;;) {
        WaitForSingleObject(self.go.get(), INFINITE);
        if (self.quit) break;
        if (self.find) {
          if (joined) view = self.find();
          self.find = nullptr;
        }
        self.job(view.Get());
        self.job = nullptr;
        SetEvent(self.done.get());
      }
      // Let go of here, in the apartment it was had in.
    }
    if (joined) self.ole32->uninitialize();
    return 0;
  }

  const Ole32* ole32;
  Handle go{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  Handle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  std::function<ComPtr<IFolderView>()> find;
  std::function<void(IFolderView*)> job;
  std::atomic<bool> quit{false};
};

FolderViewSession::FolderViewSession(const Ole32* ole32, std::function<ComPtr<IFolderView>()> find, unsigned limit_ms)
    : shared_(std::make_shared<Shared>(ole32)), limit_ms_(limit_ms) {
  if (ole32 == nullptr || !shared_->go || !shared_->done) return;
  shared_->find = std::move(find);
  auto* context = new std::shared_ptr<Shared>(shared_);
  thread_.reset(CreateThread(nullptr, 0, &Shared::Loop, context, 0, nullptr));
  if (!thread_) delete context;
}

FolderViewSession::~FolderViewSession() {
  if (!thread_) return;
  if (!given_up_) {
    shared_->quit = true;
    SetEvent(shared_->go.get());
    // Letting go of the view is one more call to the shell: a shell that hangs now holds
    // only the thread.
    WaitTakingSentMessages(thread_.get(), limit_ms_);
  }
}

bool FolderViewSession::Run(std::function<void(IFolderView*)> job) {
  if (!thread_ || given_up_) return false;
  shared_->job = std::move(job);
  SetEvent(shared_->go.get());
  if (WaitTakingSentMessages(shared_->done.get(), limit_ms_)) return true;
  // The thread ends once the call comes back, if it ever does.
  given_up_ = true;
  shared_->quit = true;
  SetEvent(shared_->go.get());
  return false;
}

ShellCommit FolderViewSession::Commit(const ShellHandOver& hand_over) {
  // Held by the job: a call given up on may still end, long after this returned.
  auto call = std::make_shared<std::pair<ShellHandOver, ShellCommit>>(hand_over, ShellCommit::Failed);
  if (!Run([call](IFolderView* view) {
        if (view != nullptr) call->second = CommitPositions(*view, call->first);
      })) {
    return ShellCommit::Failed;
  }
  return call->second;
}

std::vector<std::string> FolderViewSession::ParsingNames(const std::vector<std::string>& labels) {
  auto call = std::make_shared<std::pair<std::vector<std::string>, std::vector<std::string>>>(
      labels, std::vector<std::string>{});
  if (!Run([call](IFolderView* view) {
        if (view != nullptr) call->second = win32::ParsingNames(*view, call->first);
      })) {
    return {};
  }
  return std::move(call->second);
}

std::vector<std::optional<Point>> FolderViewSession::ItemPositions(const std::vector<std::string>& labels,
                                                                  std::size_t first) {
  auto call = std::make_shared<std::pair<std::vector<std::string>, std::vector<std::optional<Point>>>>(
      labels, std::vector<std::optional<Point>>{});
  if (!Run([call, first](IFolderView* view) {
        if (view != nullptr) call->second = win32::ItemPositions(*view, call->first, first);
      })) {
    return {};
  }
  return std::move(call->second);
}

}  // namespace vandrel::win32
