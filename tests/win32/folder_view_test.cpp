// The way to the shell's folder view, against a shell made in this process on the real
// interfaces: Wine's own desktop view is out of reach of these steps, as it is of the
// product (no shell window, and its window list does not name the stand-in's view).
// The fake agrees with the list view in nothing it need not: its items come in an order
// of their own, may change between a read and a commit, and it may arrange, snap or hang.
#include "desktop/win32_folder_view.h"

#include <gtest/gtest.h>
#include <shlguid.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <map>
#include <numeric>
#include <random>
#include <thread>

namespace vandrel::win32 {
namespace {

enum class Fault { None, NotFound, NoDesktop, NoServices, NoBrowser, NoView, OtherWindow, NoFolderView };

const HWND kDefView = reinterpret_cast<HWND>(0x1234);
constexpr LONG kGrid = 75;

// A method the chain never calls.
#define NOT_ASKED(method, ...) \
  HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override { return E_NOTIMPL; }

// Every object of the chain in one: the window list, the desktop's browser, its view,
// the view's folder. It counts its references and keeps what it is told. A COM object
// ends through Release, never by a delete through an interface: the interfaces have no
// virtual destructor, by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class FakeShell : public IShellWindows,
                  public IServiceProvider,
                  public IShellBrowser,
                  public IShellView,
                  public IFolderView2,
                  public IShellFolder {
 public:
  Fault fault = Fault::None;
  // The view's items by key, in its own order; key k is named "Icon k" unless `names` says.
  std::vector<int> order = {0, 1, 2};
  std::map<int, std::string> names;
  std::map<int, POINT> positions;  // by key
  int batches = 0;
  DWORD flags = 0;  // what SelectAndPositionItems was last given
  LONG offset = 0;  // added to every position handed over, as a shell measuring from elsewhere
  HRESULT select_answer = S_OK;
  DWORD folder_flags = 0;               // FWF_AUTOARRANGE arranges every item, FWF_SNAPTOGRID snaps to kGrid
  bool has_view2 = true;                // IFolderView2, through which the flags are set
  DWORD flags_kept = 0;                 // the flags SetCurrentFolderFlags cannot change
  HANDLE block = nullptr;               // SelectAndPositionItems waits for it
  APTTYPE apartment = APTTYPE_CURRENT;  // of the thread that positioned items
  std::atomic<ULONG> references = 1;

  void Reverse() { std::reverse(order.begin(), order.end()); }
  void Shuffle(int count, unsigned seed) {
    order.resize(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(seed));
  }
  std::string NameOf(int key) const {
    const auto named = names.find(key);
    return named != names.end() ? named->second : "Icon " + std::to_string(key);
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == __uuidof(IDispatch) || iid == __uuidof(IShellWindows)) {
      *out = static_cast<IShellWindows*>(this);
    } else if (iid == __uuidof(IServiceProvider) && fault != Fault::NoServices) {
      *out = static_cast<IServiceProvider*>(this);
    } else if ((iid == __uuidof(IFolderView) || (iid == __uuidof(IFolderView2) && has_view2)) &&
               fault != Fault::NoFolderView) {
      *out = static_cast<IFolderView2*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }

  HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT* location, VARIANT*, int kind, LONG* window, int options,
                                         IDispatch** out) override {
    *out = nullptr;
    *window = 0;
    if (fault == Fault::NotFound) return E_FAIL;
    if (fault == Fault::NoDesktop || location->vt != VT_I4 || kind != SWC_DESKTOP || options != SWFO_NEEDDISPATCH) {
      return S_FALSE;
    }
    return QueryInterface(IID_PPV_ARGS(out));
  }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** out) override {
    *out = nullptr;
    if (fault == Fault::NoBrowser || service != SID_STopLevelBrowser || iid != __uuidof(IShellBrowser)) return E_FAIL;
    return Give(static_cast<IShellBrowser*>(this), out);
  }
  HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** out) override {
    *out = nullptr;
    return fault == Fault::NoView ? E_FAIL : Give(static_cast<IShellView*>(this), out);
  }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = fault == Fault::OtherWindow ? reinterpret_cast<HWND>(0x5678) : kDefView;
    return S_OK;
  }

  // An item's identifier: its size, its key, and "#k" (which it gives as its offset form).
  HRESULT STDMETHODCALLTYPE ItemCount(UINT, int* count) override {
    *count = static_cast<int>(order.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(int index, PITEMID_CHILD* out) override {
    *out = nullptr;
    if (index < 0 || index >= static_cast<int>(order.size())) return E_INVALIDARG;
    const int key = order[static_cast<std::size_t>(index)];
    const Id id{sizeof(Id) - sizeof(USHORT), key, {'#', static_cast<char>('0' + key % 10)}, 0};
    *out = static_cast<PITEMID_CHILD>(CoTaskMemAlloc(sizeof id));
    std::memcpy(*out, &id, sizeof id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT count, PCUITEMID_CHILD_ARRAY ids, POINT* points,
                                                   DWORD how) override {
    if (block != nullptr) WaitForSingleObject(block, INFINITE);
    APTTYPEQUALIFIER qualifier{};
    CoGetApartmentType(&apartment, &qualifier);
    ++batches;
    flags = how;
    for (UINT i = 0; i < count && SUCCEEDED(select_answer); ++i) {
      POINT at{points[i].x + offset, points[i].y};
      if ((folder_flags & FWF_SNAPTOGRID) != 0) at = POINT{at.x / kGrid * kGrid, at.y / kGrid * kGrid};
      positions[IndexOf(ids[i])] = at;
    }
    // Arranging, the view lays every item out its own way.
    if ((folder_flags & FWF_AUTOARRANGE) != 0 && SUCCEEDED(select_answer)) {
      for (std::size_t i = 0; i < order.size(); ++i) positions[order[i]] = POINT{0, static_cast<LONG>(i) * kGrid};
    }
    return select_answer;
  }
  HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD id, POINT* at) override {
    const auto found = positions.find(IndexOf(id));
    if (found == positions.end()) return E_FAIL;
    *at = found->second;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSpacing(POINT* spacing) override {
    *spacing = POINT{kGrid, kGrid};
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return (folder_flags & FWF_AUTOARRANGE) != 0 ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetCurrentFolderFlags(DWORD* out) override {
    *out = folder_flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetCurrentFolderFlags(DWORD mask, DWORD value) override {
    mask &= ~flags_kept;
    folder_flags = (folder_flags & ~mask) | (value & mask);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFolder(REFIID iid, void** out) override {
    *out = nullptr;
    return iid == __uuidof(IShellFolder) ? Give(static_cast<IShellFolder*>(this), out) : E_NOINTERFACE;
  }
  // The in-folder name wide; the parsing name in each of the three forms a folder may
  // answer in, for keys 0 (wide), 1 (in the identifier) and 2 (in the record); other
  // keys have none.
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD id, SHGDNF how, STRRET* name) override {
    static const wchar_t kWide[] = L"C:\\Users\\\u7528\u6237\\Desktop\\\u56DE\u6536\u7AD9.lnk";
    const int key = IndexOf(id);
    if (how == SHGDN_INFOLDER) {
      const std::string text = NameOf(key);
      const std::wstring wide(text.begin(), text.end());
      const std::size_t size = (wide.size() + 1) * sizeof(wchar_t);
      name->uType = STRRET_WSTR;
      name->pOleStr = static_cast<wchar_t*>(std::memcpy(CoTaskMemAlloc(size), wide.c_str(), size));
      return S_OK;
    }
    if (how != SHGDN_FORPARSING || key > 2) return E_FAIL;
    name->uType = key == 0 ? STRRET_WSTR : key == 1 ? STRRET_OFFSET : STRRET_CSTR;
    if (key == 0) name->pOleStr = static_cast<wchar_t*>(std::memcpy(CoTaskMemAlloc(sizeof kWide), kWide, sizeof kWide));
    if (key == 1) name->uOffset = offsetof(Id, name);
    if (key == 2) std::strcpy(name->cStr, "::{645FF040-5081-101B-9F08-00AA002F954E}");
    return S_OK;
  }

  // The rest, packed by interface.
  // clang-format off
  NOT_ASKED(GetTypeInfoCount, UINT*) NOT_ASKED(GetTypeInfo, UINT, LCID, ITypeInfo**)
  NOT_ASKED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
  NOT_ASKED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
  NOT_ASKED(get_Count, LONG*) NOT_ASKED(Item, VARIANT, IDispatch**) NOT_ASKED(_NewEnum, IUnknown**)
  NOT_ASKED(Register, IDispatch*, LONG, int, LONG*) NOT_ASKED(RegisterPending, LONG, VARIANT*, VARIANT*, int, LONG*)
  NOT_ASKED(Revoke, LONG) NOT_ASKED(OnNavigate, LONG, VARIANT*) NOT_ASKED(OnActivated, LONG, VARIANT_BOOL)
  NOT_ASKED(OnCreated, LONG, IUnknown*) NOT_ASKED(ProcessAttachDetach, VARIANT_BOOL)
  NOT_ASKED(ContextSensitiveHelp, BOOL) NOT_ASKED(InsertMenusSB, HMENU, LPOLEMENUGROUPWIDTHS)
  NOT_ASKED(SetMenuSB, HMENU, HOLEMENU, HWND) NOT_ASKED(RemoveMenusSB, HMENU) NOT_ASKED(SetStatusTextSB, LPCWSTR)
  NOT_ASKED(EnableModelessSB, BOOL) NOT_ASKED(TranslateAcceleratorSB, MSG*, WORD)
  NOT_ASKED(BrowseObject, PCUIDLIST_RELATIVE, UINT) NOT_ASKED(GetViewStateStream, DWORD, IStream**)
  NOT_ASKED(GetControlWindow, UINT, HWND*) NOT_ASKED(SendControlMsg, UINT, UINT, WPARAM, LPARAM, LRESULT*)
  NOT_ASKED(OnViewWindowActive, IShellView*) NOT_ASKED(SetToolbarItems, LPTBBUTTONSB, UINT, UINT)
  NOT_ASKED(TranslateAccelerator, MSG*) NOT_ASKED(EnableModeless, BOOL) NOT_ASKED(UIActivate, UINT)
  NOT_ASKED(Refresh) NOT_ASKED(CreateViewWindow, IShellView*, LPCFOLDERSETTINGS, IShellBrowser*, RECT*, HWND*)
  NOT_ASKED(DestroyViewWindow) NOT_ASKED(GetCurrentInfo, LPFOLDERSETTINGS) NOT_ASKED(SaveViewState)
  NOT_ASKED(AddPropertySheetPages, DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM)
  NOT_ASKED(SelectItem, PCUITEMID_CHILD, SVSIF) NOT_ASKED(GetItemObject, UINT, REFIID, void**)
  NOT_ASKED(GetCurrentViewMode, UINT*) NOT_ASKED(SetCurrentViewMode, UINT) NOT_ASKED(Items, UINT, REFIID, void**)
  NOT_ASKED(GetSelectionMarkedItem, int*) NOT_ASKED(GetFocusedItem, int*)
  NOT_ASKED(GetDefaultSpacing, POINT*) NOT_ASKED(SelectItem, int, DWORD)
  NOT_ASKED(SetGroupBy, REFPROPERTYKEY, WINBOOL) NOT_ASKED(GetGroupBy, PROPERTYKEY*, WINBOOL*)
  NOT_ASKED(SetViewProperty, PCUITEMID_CHILD, REFPROPERTYKEY, REFPROPVARIANT)
  NOT_ASKED(GetViewProperty, PCUITEMID_CHILD, REFPROPERTYKEY, PROPVARIANT*)
  NOT_ASKED(SetTileViewProperties, PCUITEMID_CHILD, LPCWSTR) NOT_ASKED(SetExtendedTileViewProperties, PCUITEMID_CHILD, LPCWSTR)
  NOT_ASKED(SetText, FVTEXTTYPE, LPCWSTR) NOT_ASKED(GetSortColumnCount, int*)
  NOT_ASKED(SetSortColumns, const SORTCOLUMN*, int) NOT_ASKED(GetSortColumns, SORTCOLUMN*, int)
  NOT_ASKED(GetItem, int, REFIID, void**) NOT_ASKED(GetVisibleItem, int, WINBOOL, int*)
  NOT_ASKED(GetSelectedItem, int, int*) NOT_ASKED(GetSelection, WINBOOL, IShellItemArray**)
  NOT_ASKED(GetSelectionState, PCUITEMID_CHILD, DWORD*) NOT_ASKED(InvokeVerbOnSelection, LPCSTR)
  NOT_ASKED(SetViewModeAndIconSize, FOLDERVIEWMODE, int) NOT_ASKED(GetViewModeAndIconSize, FOLDERVIEWMODE*, int*)
  NOT_ASKED(SetGroupSubsetCount, UINT) NOT_ASKED(GetGroupSubsetCount, UINT*) NOT_ASKED(SetRedraw, WINBOOL)
  NOT_ASKED(IsMoveInSameFolder) NOT_ASKED(DoRename)
  NOT_ASKED(ParseDisplayName, HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*)
  NOT_ASKED(EnumObjects, HWND, SHCONTF, IEnumIDList**) NOT_ASKED(CreateViewObject, HWND, REFIID, void**)
  NOT_ASKED(BindToObject, PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**)
  NOT_ASKED(BindToStorage, PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**)
  NOT_ASKED(CompareIDs, LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE)
  NOT_ASKED(GetAttributesOf, UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*)
  NOT_ASKED(GetUIObjectOf, HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**)
  NOT_ASKED(SetNameOf, HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*)

 private:
#pragma pack(push, 1)
  struct Id {
    USHORT size;
    int key;
    char name[4];
    USHORT end;  // the empty identifier that ends a list
  };
#pragma pack(pop)
  // clang-format on
  static int IndexOf(PCUITEMID_CHILD id) { return reinterpret_cast<const Id*>(id)->key; }
  template <class I>
  HRESULT Give(I* object, void** out) {
    *out = object;
    AddRef();
    return S_OK;
  }
  template <class I>
  HRESULT Give(I* object, I** out) {
    return Give(object, reinterpret_cast<void**>(out));
  }
};
#pragma GCC diagnostic pop

TEST(FolderViewLookup, FollowsTheChainToTheDefViewDrivenAndAnyFailureSkipsLeavingNoReference) {
  const Fault faults[] = {Fault::NotFound, Fault::NoDesktop,   Fault::NoServices,  Fault::NoBrowser,
                          Fault::NoView,   Fault::OtherWindow, Fault::NoFolderView};
  for (const Fault fault : faults) {
    SCOPED_TRACE(static_cast<int>(fault));
    FakeShell shell;
    shell.fault = fault;
    EXPECT_EQ(FindDesktopFolderView(shell, kDefView), nullptr);
    EXPECT_EQ(shell.references.load(), 1u);
  }
  FakeShell shell;
  {
    const ComPtr<IFolderView> view = FindDesktopFolderView(shell, kDefView);
    EXPECT_EQ(view.Get(), static_cast<IFolderView*>(&shell));
    EXPECT_EQ(shell.references.load(), 2u);
  }
  EXPECT_EQ(shell.references.load(), 1u);
}

std::vector<std::string> Labels(int count) {
  std::vector<std::string> labels;
  for (int k = 0; k < count; ++k) labels.push_back("Icon " + std::to_string(k));
  return labels;
}

bool At(const FakeShell& shell, int key, LONG x, LONG y) {
  const auto found = shell.positions.find(key);
  return found != shell.positions.end() && found->second.x == x && found->second.y == y;
}

TEST(FolderViewCommit, EachIconGoesToItsOwnItemWhateverTheViewsOrderAndTheShellsSettingsLeaveTheSelection) {
  enum class Setup { Own, Reversed, Shuffled, Changed, Repeated, Arranging, ArrangingStuck, Snapping, Moved, Refused };
  const struct {
    const char* name;
    Setup setup;
    bool auto_arrange_after;  // the view state the change leaves
    ShellCommit result;
    DWORD flags_after;
  } cases[] = {
      {"the list view's own order", Setup::Own, false, ShellCommit::Kept, 0},
      {"reversed", Setup::Reversed, false, ShellCommit::Kept, 0},
      {"shuffled", Setup::Shuffled, false, ShellCommit::Kept, 0},
      {"an icon gone and another come since the read", Setup::Changed, false, ShellCommit::Unidentified, 0},
      {"a label repeated, in another order", Setup::Repeated, false, ShellCommit::Kept, 0},
      {"arranging until told not to, and told again by a restore", Setup::Arranging, true, ShellCommit::Kept,
       FWF_AUTOARRANGE},
      {"arranging and no way to stop it", Setup::ArrangingStuck, false, ShellCommit::Arranging, FWF_AUTOARRANGE},
      {"snapping whatever it is told", Setup::Snapping, false, ShellCommit::Snapped, FWF_SNAPTOGRID},
      {"measuring from elsewhere", Setup::Moved, false, ShellCommit::NotKept, 0},
      {"refusing", Setup::Refused, false, ShellCommit::Failed, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell;
    ShellHandOver hand_over;
    hand_over.labels = Labels(6);
    hand_over.placed = {{2, 19, 150}, {0, 130, 32767}, {5, 80, 160}};
    hand_over.auto_arrange = c.auto_arrange_after;
    shell.Shuffle(6, 0);
    // The key of the item each placed icon must reach; -1 for none.
    std::vector<int> keys = {2, 0, 5};
    switch (c.setup) {
      case Setup::Own: break;
      case Setup::Reversed: shell.Reverse(); break;
      case Setup::Shuffled: shell.Shuffle(6, 18); break;
      case Setup::Changed:
        // Icon 0 gone and Icon 6 come: the counts agree, and every index after 0 is shifted.
        shell.order = {1, 2, 3, 4, 5, 6};
        keys = {2, -1, 5};
        break;
      case Setup::Repeated:
        // "Icon 2" twice in both views, "Icon 5" gone: the n-th of a label is the n-th.
        hand_over.labels[5] = "Icon 2";
        shell.names[5] = "Icon 2";
        shell.order = {5, 4, 3, 2, 1, 0};
        keys = {5, 0, 2};
        break;
      case Setup::Arranging: shell.folder_flags = FWF_AUTOARRANGE; break;
      case Setup::ArrangingStuck:
        shell.folder_flags = FWF_AUTOARRANGE;
        shell.has_view2 = false;
        break;
      case Setup::Snapping:
        shell.folder_flags = FWF_SNAPTOGRID;
        shell.flags_kept = FWF_SNAPTOGRID;
        keys = {-1, -1, -1};  // on the grid, not where they were put
        break;
      case Setup::Moved:
        shell.offset = 7;
        keys = {-1, -1, -1};
        break;
      case Setup::Refused:
        shell.select_answer = E_FAIL;
        keys = {-1, -1, -1};
        break;
    }
    EXPECT_EQ(CommitPositions(shell, hand_over), c.result);
    EXPECT_EQ(shell.folder_flags, c.flags_after);
    if (c.result == ShellCommit::Arranging) {
      EXPECT_EQ(shell.batches, 0);
      continue;
    }
    EXPECT_EQ(shell.batches, 1);
    EXPECT_EQ(shell.flags, static_cast<DWORD>(SVSI_POSITIONITEM | SVSI_NOSTATECHANGE));
    std::size_t handed = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (keys[i] < 0) continue;
      ++handed;
      EXPECT_TRUE(At(shell, keys[i], hand_over.placed[i].x, hand_over.placed[i].y)) << "icon " << i;
    }
    if (c.result == ShellCommit::Kept || c.result == ShellCommit::Unidentified) {
      EXPECT_EQ(shell.positions.size(), handed);
    }
  }
  FakeShell idle;
  EXPECT_EQ(CommitPositions(idle, ShellHandOver{}), ShellCommit::Skipped);
  EXPECT_EQ(idle.batches, 0);
}

TEST(FolderViewNames, EachIconsNameFromItsOwnItemInEveryFormInUtf8) {
  FakeShell shell;
  shell.order = {3, 2, 1, 0};
  EXPECT_EQ(ParsingNames(shell, Labels(4)),
            (std::vector<std::string>{
                "C:\\Users\\\xE7\x94\xA8\xE6\x88\xB7\\Desktop\\\xE5\x9B\x9E\xE6\x94\xB6\xE7\xAB\x99.lnk", "#1",
                "::{645FF040-5081-101B-9F08-00AA002F954E}", ""}));
  // Icon 1 gone and Icon 4 come since the labels were read: the others keep their names.
  shell.order = {4, 2, 0};
  EXPECT_EQ(ParsingNames(shell, Labels(3)),
            (std::vector<std::string>{
                "C:\\Users\\\xE7\x94\xA8\xE6\x88\xB7\\Desktop\\\xE5\x9B\x9E\xE6\x94\xB6\xE7\xAB\x99.lnk", "",
                "::{645FF040-5081-101B-9F08-00AA002F954E}"}));
  EXPECT_EQ(shell.references.load(), 1u);
}

// The session's thread and the caller's wait: a shell that holds the call holds only
// the thread, the caller takes the messages sent to it meanwhile, and every object is
// let go of on the thread it was had on.
TEST(FolderViewSession, CallsFromAThreadOfItsOwnThatAHungShellCannotHoldTheCallerOn) {
  const Ole32* ole32 = LoadOle32();
  ASSERT_NE(ole32, nullptr);
  FakeShell shell;
  const auto find = [&shell] { return ComPtr<IFolderView>(static_cast<IFolderView2*>(&shell)); };
  ShellHandOver hand_over;
  hand_over.labels = Labels(3);
  hand_over.placed = {{1, 10, 20}};
  {
    FolderViewSession session(ole32, find, 3000);
    EXPECT_EQ(session.Commit(hand_over), ShellCommit::Kept);
    EXPECT_EQ(session.ParsingNames(Labels(2)).size(), 2u);
    EXPECT_EQ(shell.apartment, APTTYPE_MTA);
  }
  EXPECT_EQ(shell.references.load(), 1u);
  {
    FolderViewSession session(
        ole32, [] { return ComPtr<IFolderView>(); }, 3000);
    EXPECT_EQ(session.Commit(hand_over), ShellCommit::Failed);  // a shell whose view cannot be found
  }

  // A window of this thread, and a message sent to it from another while the call hangs.
  const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  shell.block = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> answered = false;
  std::thread sender([&] {
    Sleep(50);
    DWORD_PTR ignored = 0;
    answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 200, &ignored) != 0;
    // A caller that waited without a limit fails here rather than hangs.
    Sleep(2000);
    SetEvent(shell.block);
  });
  const ULONGLONG start = GetTickCount64();
  ShellCommit first = ShellCommit::Kept;
  ShellCommit second = ShellCommit::Kept;
  {
    FolderViewSession session(ole32, find, 300);
    first = session.Commit(hand_over);
    second = session.Commit(hand_over);  // the thread is given up on: no call at all
  }
  const ULONGLONG took = GetTickCount64() - start;
  sender.join();
  EXPECT_EQ(first, ShellCommit::Failed);
  EXPECT_EQ(second, ShellCommit::Failed);
  EXPECT_GE(took, 300u);
  EXPECT_LT(took, 1500u);
  EXPECT_TRUE(answered);
  // Released, the call ends on the thread given up on, which lets go of the view.
  for (int i = 0; i < 200 && shell.references.load() != 1u; ++i) Sleep(10);
  EXPECT_EQ(shell.references.load(), 1u);
  EXPECT_EQ(shell.batches, 2);
  CloseHandle(shell.block);
  DestroyWindow(window);
}

}  // namespace
}  // namespace vandrel::win32
