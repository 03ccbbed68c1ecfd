#include "app/main_window.h"

#include <shellapi.h>

#include <string>

#include "app/layout_menu.h"
#include "ui/window_layout.h"
#include "win32/entry.h"

namespace vandrel {
namespace {

using ui::Place;

constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFontHeight = 11;
constexpr int kMailFontHeight = 13;
constexpr Place kClientArea{490, 241, 352, 97};
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

constexpr int kRadioId = 100;  // + the radio button's number
constexpr int kLabel2Id = 200;
// Posted when the window is shown: runs FormShow once the window is up.
constexpr UINT kFormShowMessage = WM_APP + 0x42;
constexpr int kLabel3Id = 201;
constexpr int kPageControlId = 300;

struct RadioRow {
  int number;
  Place place;
  const wchar_t* caption;
};
// In tab order, RadioButton1 to RadioButton7; they share one group.
constexpr RadioRow kRadios[] = {
    {1, {145, 0, 73, 17}, L"sine"},  {2, {146, 18, 89, 17}, L"cosine"}, {3, {0, 0, 65, 17}, L"left"},
    {4, {0, 18, 73, 17}, L"right"},  {5, {76, 0, 61, 17}, L"top"},       {6, {76, 18, 61, 17}, L"bottom"},
    {7, {250, 0, 51, 17}, L"circle"},
};

struct PageRow {
  const wchar_t* caption;
  int image;
};
constexpr PageRow kPages[] = {{L"arrange icons", 1}, {L"about me", 3}};

constexpr Place kPanel1{0, 0, 352, 25};
constexpr Place kLabel3{8, 8, 343, 13};
constexpr Place kPageControl1{0, 25, 352, 72};
constexpr Place kLabel2{8, 14, 195, 16};
constexpr wchar_t kLabel3Caption[] = L"click pop menu on desktop,NOT check:view---Automatic alignment Icon ";

constexpr int kTabImageSize = 16;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);

// The four tab pictures, drawn rather than shipped: 1 is the figures page (icons in a
// grid), 3 the "about me" page (a letter); 0 and 2 are spare.
void DrawTabImage(HDC dc, int index, int size) {
  const int u = size / kTabImageSize > 0 ? size / kTabImageSize : 1;
  const ui::Brush blue(CreateSolidBrush(RGB(40, 90, 170)));
  const ui::Pen pen(CreatePen(PS_SOLID, u, RGB(40, 90, 170)));
  HGDIOBJ old_pen = SelectObject(dc, pen.get());
  HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  if (index == 1) {
    for (int row = 0; row < 3; ++row) {
      for (int col = 0; col < 3; ++col) {
        RECT r{(1 + 5 * col) * u, (1 + 5 * row) * u, (5 + 5 * col) * u, (5 + 5 * row) * u};
        FillRect(dc, &r, blue.get());
      }
    }
  } else if (index == 3) {
    Rectangle(dc, 1 * u, 3 * u, 15 * u, 13 * u);
    MoveToEx(dc, 1 * u, 3 * u, nullptr);
    LineTo(dc, 8 * u, 9 * u);
    LineTo(dc, 15 * u, 3 * u);
  } else if (index == 2) {
    Arc(dc, 1 * u, 4 * u, 9 * u, 12 * u, 9 * u, 8 * u, 1 * u, 8 * u);
    Arc(dc, 8 * u, 4 * u, 16 * u, 12 * u, 8 * u, 8 * u, 16 * u, 8 * u);
  }
  SelectObject(dc, old_brush);
  SelectObject(dc, old_pen);
}

// The mail link takes the focus from Tab, and shows it as a link does: a focus rectangle
// around it, once the keyboard is in use.
LRESULT CALLBACK FocusableLabelProc(HWND label, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(label, nullptr, TRUE);
      break;
    case WM_PAINT: {
      const LRESULT painted = DefSubclassProc(label, message, wparam, lparam);
      const bool hidden = (SendMessageW(label, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
      if (GetFocus() == label && !hidden) {
        HDC dc = GetDC(label);
        RECT r;
        GetClientRect(label, &r);
        DrawFocusRect(dc, &r);
        ReleaseDC(label, dc);
      }
      return painted;
    }
    default:
      break;
  }
  return DefSubclassProc(label, message, wparam, lparam);
}

}  // namespace

TF_icon_cn::TF_icon_cn(Application& app, DesktopIconView& desktop) : ui::Form(app), FigureHost(desktop) {
  ui::RegisterContainerClasses(app.instance());
  Create(kWindowClass, kCaption, kStyle, 0, kClientArea, Frame::ClientArea);
  set_monitor_window(reinterpret_cast<WindowHandle>(handle()));
}

// The window goes before the fonts and the image list its controls use.
TF_icon_cn::~TF_icon_cn() { Destroy(); }

std::optional<LRESULT> TF_icon_cn::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SHOWWINDOW:
      // Shown by the program itself (lparam 0), not brought back with its owner. The
      // shell's view is set once the window is up: its messages go to another process,
      // and the user need not wait for them to see the window.
      if (wparam && lparam == 0 && !form_show_pending_) {
        form_show_pending_ = true;
        PostMessageW(window_, kFormShowMessage, 0, 0);
      }
      break;
    case kFormShowMessage:
      RunPendingFormShow();
      return 0;
    case WM_COMMAND:
      // Not from a control: Ctrl+Z, or an entry of the "Restore layout" submenu, whose
      // entries come as WM_COMMAND although it hangs in the window menu.
      if (lparam == 0 && layout_menu_ != nullptr && layout_menu_->Run(LOWORD(wparam))) return 0;
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_INITMENUPOPUP:
      if (layout_menu_ != nullptr) layout_menu_->Prepare(reinterpret_cast<HMENU>(wparam), HIWORD(lparam) != 0);
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->hwndFrom == page_control_ && header->code == TCN_SELCHANGE) ShowActivePage();
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetBkMode(dc, TRANSPARENT);
      if (reinterpret_cast<HWND>(lparam) == label2_) ::SetTextColor(dc, RGB(0, 0, 255));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wparam) == label2_) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      if (layout_menu_ != nullptr && layout_menu_->Run(static_cast<UINT>(wparam & 0xFFF0))) return 0;
      // The taskbar button belongs to the application window: minimise that, and
      // this window goes with it.
      if ((wparam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(app_.window(), SW_MINIMIZE);
        return 0;
      }
      break;
    case WM_CLOSE:
      app_.Handle(window_, [this] { FormClose(); });
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return std::nullopt;
}

void TF_icon_cn::CreateControls() {
  HINSTANCE instance = app_.instance();
  auto child = [&](HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, DWORD ex = 0) {
    return ui::Checked(CreateWindowExW(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr),
                       "Cannot create a control of the main window");
  };
  panel_ = child(window_, ui::kPanelClass, L"", WS_CLIPCHILDREN, 0);
  // One line, clipped at the label's edge where the text is wider than the label.
  label3_ = child(panel_, L"STATIC", kLabel3Caption, SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabel3Id);

  // The tab control is a tab stop of its own; its pages are its siblings, above it, so
  // that Tab reaches the tabs and the controls of the page shown alike.
  page_control_ = child(window_, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS | TCS_HOTTRACK, kPageControlId);
  for (int i = 0; i < 2; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(kPages[i].caption);
    item.iImage = kPages[i].image;
    SendMessageW(page_control_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    pages_[i] = ui::Checked(CreateWindowExW(WS_EX_CONTROLPARENT, ui::kTabSheetClass, kPages[i].caption,
                                            WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, window_, nullptr, instance, nullptr),
                            "Cannot create a page of the main window");
    SetWindowPos(pages_[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (const RadioRow& r : kRadios) {
    const DWORD group = r.number == 1 ? WS_GROUP : 0;
    radio_[r.number] = child(pages_[0], L"BUTTON", r.caption, BS_AUTORADIOBUTTON | WS_TABSTOP | group, kRadioId + r.number);
  }
  // The "about me" page's controls come when the page is first shown (MakeAboutPage):
  // most starts never show it, and every control made costs the start under Wine.
  tab_order_ = {page_control_, pages_[0], pages_[1]};
}

void TF_icon_cn::LayOut() {
  // The old fonts stay until every control has the new ones.
  ui::Font font = ui::CreateFontForDpi(kFontFace, kFontHeight, dpi_);
  ui::Font mail_font = ui::CreateFontForDpi(kFontFace, kMailFontHeight, dpi_);

  ui::MoveControl(panel_, kPanel1, dpi_);
  ui::MoveControl(label3_, kLabel3, dpi_);
  ui::MoveControl(page_control_, kPageControl1, dpi_);
  for (HWND control : {label3_, page_control_}) ui::SetFont(control, font.get());
  for (const RadioRow& r : kRadios) {
    ui::MoveControl(radio_[r.number], r.place, dpi_);
    ui::SetFont(radio_[r.number], font.get());
  }
  if (label2_ != nullptr) {
    ui::MoveControl(label2_, kLabel2, dpi_);
    ui::SetFont(label2_, mail_font.get());
  }
  font_ = std::move(font);
  mail_font_ = std::move(mail_font);
  BuildTabImages();

  // The pages fill the tab control's display area, below the tabs.
  RECT area;
  GetClientRect(page_control_, &area);
  SendMessageW(page_control_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(page_control_, window_, reinterpret_cast<POINT*>(&area), 2);
  for (HWND page : pages_) {
    MoveWindow(page, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  }
}

void TF_icon_cn::BuildTabImages() {
  const int size = ui::Scale(kTabImageSize, dpi_);
  ui::ImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 0));
  HDC screen = GetDC(nullptr);
  const ui::MemoryDc dc(CreateCompatibleDC(screen));
  for (int i = 0; i < 4; ++i) {
    const ui::Bitmap bitmap(CreateCompatibleBitmap(screen, size, size));
    HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    const ui::Brush mask(CreateSolidBrush(kMaskColour));
    RECT r{0, 0, size, size};
    FillRect(dc.get(), &r, mask.get());
    DrawTabImage(dc.get(), i, size);
    SelectObject(dc.get(), old);
    ImageList_AddMasked(list.get(), bitmap.get(), kMaskColour);
  }
  ReleaseDC(nullptr, screen);
  SendMessageW(page_control_, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list.get()));
  image_list_ = std::move(list);
}

void TF_icon_cn::MakeAboutPage() {
  const std::wstring mail = std::wstring(L"Mail:   ") + kContactAddress;
  label2_ = ui::Checked(CreateWindowExW(0, L"STATIC", mail.c_str(),
                                        WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOTIFY | SS_NOPREFIX | WS_TABSTOP | WS_GROUP,
                                        0, 0, 0, 0, pages_[1], reinterpret_cast<HMENU>(INT_PTR{kLabel2Id}),
                                        app_.instance(), nullptr),
                        "Cannot create a control of the main window");
  SetWindowSubclass(label2_, FocusableLabelProc, 0, 0);
  ui::MoveControl(label2_, kLabel2, dpi_);
  ui::SetFont(label2_, mail_font_.get());
}

void TF_icon_cn::ShowActivePage() {
  const auto active = static_cast<int>(SendMessageW(page_control_, TCM_GETCURSEL, 0, 0));
  if (active == 1 && label2_ == nullptr) MakeAboutPage();
  const HWND focus = GetFocus();
  for (int i = 0; i < 2; ++i) {
    // The focus does not stay on a control that goes out of sight: the tabs take it.
    if (i != active && focus != nullptr && IsChild(pages_[i], focus)) SetFocus(page_control_);
    ShowWindow(pages_[i], i == active ? SW_SHOW : SW_HIDE);
  }
}

void TF_icon_cn::SelectPage(int page) {
  SendMessageW(page_control_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  ShowActivePage();
}

bool TF_icon_cn::TranslateKey(const MSG& message) {
  if (message.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
    // Ctrl+Tab and Ctrl+PgDn to the next page, with Shift or PgUp to the one before.
    const bool tab = message.wParam == VK_TAB;
    if (tab || message.wParam == VK_NEXT || message.wParam == VK_PRIOR) {
      const bool back = tab ? GetKeyState(VK_SHIFT) < 0 : message.wParam == VK_PRIOR;
      const auto count = static_cast<int>(SendMessageW(page_control_, TCM_GETITEMCOUNT, 0, 0));
      const auto active = static_cast<int>(SendMessageW(page_control_, TCM_GETCURSEL, 0, 0));
      if (count > 0) SelectPage(((active < 0 ? 0 : active) + (back ? count - 1 : 1)) % count);
      return true;
    }
  }
  if (message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_SPACE) &&
      GetFocus() == label2_ && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
    app_.Handle(window_, [this] { Label2Click(); });
    return true;
  }
  return ui::Form::TranslateKey(message);
}

// An error (a shell that does not answer) is shown once the window is up.
void TF_icon_cn::RunPendingFormShow() {
  if (!form_show_pending_) return;
  form_show_pending_ = false;
  try {
    FormShow();
  } catch (...) {
    ReportLater(std::current_exception());
  }
}

void TF_icon_cn::OnCommand(int id, int code) {
  // A click sent before the posted FormShow came (a test's BM_CLICK) still finds the
  // view's arrangement off.
  RunPendingFormShow();
  if (id == kLabel2Id && code == STN_CLICKED) {
    app_.Handle(window_, [this] { Label2Click(); });
    return;
  }
  const int number = id - kRadioId;
  if (number < 1 || number > 7 || code != BN_CLICKED) return;
  // Windows reports every click on a radio button; the figure runs only when the
  // click changed the selection.
  if (number == selected_ || !Checked(number)) return;
  selected_ = number;
  app_.Handle(window_, [this, number] {
    switch (number) {
      case 1: RadioButton1Click(); break;
      case 2: RadioButton2Click(); break;
      case 3: RadioButton3Click(); break;
      case 4: RadioButton4Click(); break;
      case 5: RadioButton5Click(); break;
      case 6: RadioButton6Click(); break;
      case 7: RadioButton7Click(); break;
      default: break;
    }
  });
}

bool TF_icon_cn::Checked(int radio) const {
  return SendMessageW(radio_[radio], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int TF_icon_cn::IconSpacing() { return desktop_.Metric(SystemMetric::IconSpacingY); }

void TF_icon_cn::FormCreate() {
  SendMessageW(page_control_, TCM_SETCURSEL, 0, 0);
  ShowActivePage();
}

void TF_icon_cn::FormShow() {
  // The display's original, and an undo entry when a switch is on, before they go off:
  // neither could show them on afterwards.
  std::shared_ptr<void> hold;
  if (before_free_placement_ && !(hold = before_free_placement_())) return;
  desktop_.SetAutoArrange(false);
  desktop_.ClearSnapToGrid();
}

void TF_icon_cn::FormClose() {}

void TF_icon_cn::RadioButton1Click() {
  if (Checked(1)) zhengxuan();
}

void TF_icon_cn::RadioButton2Click() {
  if (Checked(2)) yuxuan();
}

void TF_icon_cn::RadioButton3Click() {
  if (Checked(3)) AlignLeft(IconSpacing());
}

void TF_icon_cn::RadioButton4Click() {
  if (Checked(4)) AlignRight(IconSpacing());
}

void TF_icon_cn::RadioButton5Click() {
  if (Checked(5)) AlignTop(IconSpacing());
}

void TF_icon_cn::RadioButton6Click() {
  if (Checked(6)) AlignBottom(IconSpacing());
}

void TF_icon_cn::RadioButton7Click() {
  if (Checked(7)) p_Circle();
}

void TF_icon_cn::Label2Click() {
  const std::wstring link = std::wstring(L"mailto:") + kContactAddress;
  const auto execute = win32::Entry<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  if (execute != nullptr) execute(window_, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace vandrel
