// The way to the shell's folder view, against a shell made in this process on the real
// interfaces: Wine's own desktop view is out of reach of these steps, as it is of the
// product (no shell window, and its window list does not name the stand-in's view).
#include "desktop/win32_folder_view.h"

#include <gtest/gtest.h>
#include <shlguid.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <thread>

namespace vandrel::win32 {
namespace {

enum class Fault { None, NotFound, NoDesktop, NoServices, NoBrowser, NoView, OtherWindow, NoFolderView };

const HWND kDefView = reinterpret_cast<HWND>(0x1234);

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
                  public IFolderView,
                  public IShellFolder {
 public:
  Fault fault = Fault::None;
  int items = 3;
  std::map<int, POINT> positions;
  int batches = 0;
  DWORD flags = 0;
  LONG offset = 0;  // added to every position handed over, as a shell that snaps them
  HRESULT select_answer = S_OK;
  ULONG references = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (iid == IID_IUnknown || iid == __uuidof(IDispatch) || iid == __uuidof(IShellWindows)) {
      *out = static_cast<IShellWindows*>(this);
    } else if (iid == __uuidof(IServiceProvider) && fault != Fault::NoServices) {
      *out = static_cast<IServiceProvider*>(this);
    } else if (iid == __uuidof(IFolderView) && fault != Fault::NoFolderView) {
      *out = static_cast<IFolderView*>(this);
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

  // Item i's identifier: its size, i, and a name "#i" (which it gives as its offset form).
  HRESULT STDMETHODCALLTYPE ItemCount(UINT, int* count) override {
    *count = items;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Item(int index, PITEMID_CHILD* out) override {
    *out = nullptr;
    if (index < 0 || index >= items) return E_INVALIDARG;
    const Id id{sizeof(Id) - sizeof(USHORT), index, {'#', static_cast<char>('0' + index % 10)}, 0};
    *out = static_cast<PITEMID_CHILD>(CoTaskMemAlloc(sizeof id));
    std::memcpy(*out, &id, sizeof id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT count, PCUITEMID_CHILD_ARRAY ids, POINT* points,
                                                   DWORD how) override {
    ++batches;
    flags = how;
    for (UINT i = 0; i < count && SUCCEEDED(select_answer); ++i) {
      positions[IndexOf(ids[i])] = POINT{points[i].x + offset, points[i].y};
    }
    return select_answer;
  }
  HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD id, POINT* at) override {
    const auto found = positions.find(IndexOf(id));
    if (found == positions.end()) return E_FAIL;
    *at = found->second;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetFolder(REFIID iid, void** out) override {
    *out = nullptr;
    return iid == __uuidof(IShellFolder) ? Give(static_cast<IShellFolder*>(this), out) : E_NOINTERFACE;
  }
  // Each of the three forms a folder may answer a name in: wide, in the identifier, in
  // the record; item 3 has none.
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD id, SHGDNF how, STRRET* name) override {
    static const wchar_t kWide[] = L"C:\\Users\\\u7528\u6237\\Desktop\\\u56DE\u6536\u7AD9.lnk";
    const int index = IndexOf(id);
    if (how != SHGDN_FORPARSING || index > 2) return E_FAIL;
    name->uType = index == 0 ? STRRET_WSTR : index == 1 ? STRRET_OFFSET : STRRET_CSTR;
    if (index == 0)
      name->pOleStr = static_cast<wchar_t*>(std::memcpy(CoTaskMemAlloc(sizeof kWide), kWide, sizeof kWide));
    if (index == 1) name->uOffset = offsetof(Id, name);
    if (index == 2) std::strcpy(name->cStr, "::{645FF040-5081-101B-9F08-00AA002F954E}");
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
  NOT_ASKED(GetSelectionMarkedItem, int*) NOT_ASKED(GetFocusedItem, int*) NOT_ASKED(GetSpacing, POINT*)
  NOT_ASKED(GetDefaultSpacing, POINT*) NOT_ASKED(GetAutoArrange) NOT_ASKED(SelectItem, int, DWORD)
  NOT_ASKED(ParseDisplayName, HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*)
  NOT_ASKED(EnumObjects, HWND, SHCONTF, IEnumIDList**) NOT_ASKED(CreateViewObject, HWND, REFIID, void**)
  NOT_ASKED(BindToObject, PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**)
  NOT_ASKED(BindToStorage, PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**)
  NOT_ASKED(CompareIDs, LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE)
  NOT_ASKED(GetAttributesOf, UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*)
  NOT_ASKED(GetUIObjectOf, HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**)
  NOT_ASKED(SetNameOf, HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*)
      // clang-format on

      private :
#pragma pack(push, 1)
      struct Id {
    USHORT size;
    int index;
    char name[4];
    USHORT end;  // the empty identifier that ends a list
  };
#pragma pack(pop)
  static int IndexOf(PCUITEMID_CHILD id) { return reinterpret_cast<const Id*>(id)->index; }
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
    EXPECT_EQ(shell.references, 1u);
  }
  FakeShell shell;
  {
    const ComPtr<IFolderView> view = FindDesktopFolderView(shell, kDefView);
    EXPECT_EQ(view.Get(), static_cast<IFolderView*>(&shell));
    EXPECT_EQ(shell.references, 2u);
  }
  EXPECT_EQ(shell.references, 1u);
}

TEST(FolderViewCommit, OneBatchWithTheItemsPointsAndFlagThenAReadBackThatCatchesAnyOtherPosition) {
  const std::vector<PlacedIcon> placed = {{2, 19, 150}, {0, -5, 32767}};
  const struct {
    const char* name;
    int items;
    LONG offset;
    HRESULT select;
    ShellCommit result;
    int batches;
  } cases[] = {
      {"kept", 3, 0, S_OK, ShellCommit::Kept, 1},
      {"moved by the shell", 3, 7, S_OK, ShellCommit::NotKept, 1},
      {"refused, as Wine's view does", 3, 0, E_NOTIMPL, ShellCommit::Skipped, 1},
      {"other items than the list view's", 4, 0, S_OK, ShellCommit::Skipped, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeShell shell;
    shell.items = c.items;
    shell.offset = c.offset;
    shell.select_answer = c.select;
    EXPECT_EQ(CommitPositions(shell, placed, 3), c.result);
    EXPECT_EQ(shell.batches, c.batches);
    if (c.result != ShellCommit::Kept) continue;
    EXPECT_EQ(shell.flags, static_cast<DWORD>(SVSI_POSITIONITEM));
    ASSERT_EQ(shell.positions.size(), 2u);
    EXPECT_TRUE(shell.positions[2].x == 19 && shell.positions[2].y == 150);
    EXPECT_TRUE(shell.positions[0].x == -5 && shell.positions[0].y == 32767);
  }
}

TEST(FolderViewNames, ReadsEveryFormInUtf8OrNothing) {
  FakeShell shell;
  EXPECT_EQ(ParsingNames(shell, 3),
            (std::vector<std::string>{
                "C:\\Users\\\xE7\x94\xA8\xE6\x88\xB7\\Desktop\\\xE5\x9B\x9E\xE6\x94\xB6\xE7\xAB\x99.lnk", "#1",
                "::{645FF040-5081-101B-9F08-00AA002F954E}"}));
  EXPECT_EQ(shell.references, 1u);
  shell.items = 4;  // item 3 has no name
  EXPECT_TRUE(ParsingNames(shell, 4).empty());
  EXPECT_TRUE(ParsingNames(shell, 3).empty());  // the view holds another number of items
  EXPECT_EQ(shell.references, 1u);
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// A shell whose thread is blocked for 1.5 s: the call to it is given up at the limit,
// and the filter that stood before is back afterwards. Windows then ends the call;
// Wine 8 asks the filter, is told to cancel, and waits on all the same (its loop leaves
// only a switch), one more reason the product asks Wine's shell nothing.
TEST(CallTimeLimit, GivesUpACallToABlockedThreadAtTheLimitAndPutsThePreviousFilterBack) {
  const Ole32* ole32 = LoadOle32();
  ASSERT_TRUE(ole32 != nullptr && JoinApartment(*ole32));
  IStream* marshalled = nullptr;
  DWORD shell_thread_id = 0;
  const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread shell_thread([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    CoMarshalInterThreadInterfaceInStream(IID_IStream, stream.Get(), &marshalled);
    shell_thread_id = GetCurrentThreadId();
    SetEvent(ready);
    Sleep(1500);  // hung: no message pumped
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    stream.Reset();
    CoUninitialize();
  });
  WaitForSingleObject(ready, INFINITE);
  ComPtr<IStream> stream;
  EXPECT_HRESULT_SUCCEEDED(CoGetInterfaceAndReleaseStream(marshalled, IID_PPV_ARGS(&stream)));
  const DWORD start = GetTickCount();
  HRESULT answer = S_OK;
  bool gave_up = false;
  if (stream != nullptr) {
    CallTimeLimit limit(*ole32, 300);
    STATSTG stat{};
    answer = stream->Stat(&stat, STATFLAG_NONAME);
    gave_up = limit.gave_up();
  }
  const DWORD took = GetTickCount() - start;
  EXPECT_TRUE(gave_up);
  EXPECT_GE(took, 300u);
  if (!UnderWine()) {
    EXPECT_EQ(answer, RPC_E_CALL_CANCELED);
    EXPECT_LT(took, 1000u);
  }
  IMessageFilter* previous = reinterpret_cast<IMessageFilter*>(1);
  EXPECT_HRESULT_SUCCEEDED(CoRegisterMessageFilter(nullptr, &previous));
  EXPECT_EQ(previous, nullptr);
  stream.Reset();
  PostThreadMessageW(shell_thread_id, WM_QUIT, 0, 0);
  shell_thread.join();
  CloseHandle(ready);
}

}  // namespace
}  // namespace vandrel::win32
