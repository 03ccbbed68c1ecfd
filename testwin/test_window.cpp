#include "testwin/test_window.h"

#include "desktop/readouts.h"
#include "testwin/integer_text.h"
#include "ui/figure_arguments.h"
#include "ui/window_layout.h"

namespace vandrel {
namespace {

using ui::Place;
using Handler = void (TForm1::*)();

constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFontHeight = 11;
// The outer frame, not the client area: a sizeable window, 507 x 408 in all.
constexpr Place kFrame{465, 145, 507, 408};
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

enum ControlId : int {
  kButton1 = 101, kButton2, kButton3, kButton4, kButton5, kButton6, kButton9, kButton10, kButton11, kButton12,
  kButton13, kBitBtn1, kBitBtn2, kBitBtn3, kBitBtn4, kEdit1, kEdit2, kEdit3, kMemo1,
};

constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;
constexpr wchar_t kMemoLines[] =
    L"1 记录每个图标的原始位置，以随时\r\n恢复原状;取消自动排列的选项。\r\n取图标的尺寸。\r\n2 图标密度（>=图标尺寸）限制图形";

struct ControlRow {
  int id;
  const wchar_t* window_class;
  const wchar_t* text;
  DWORD style;
  DWORD ex_style;
  Place place;
  Handler click;
};

// In tab order. A control later in the table lies above the earlier ones it overlaps:
// Button12 above Memo1.
const ControlRow kControls[] = {
    {kButton1, L"BUTTON", L"circle", kButton, 0, {16, 6, 75, 25}, &TForm1::Button1Click},
    {kButton2, L"BUTTON", L"restore", kButton, 0, {16, 38, 75, 25}, &TForm1::Button2Click},
    {kButton4, L"BUTTON", L"sin/cos", kButton, 0, {16, 71, 75, 25}, &TForm1::Button4Click},
    {kBitBtn2, L"BUTTON", L"颜色", kButton, 0, {16, 104, 75, 25}, &TForm1::BitBtn2Click},
    {kButton9, L"BUTTON", L"AlignTop", kButton, 0, {16, 136, 75, 25}, &TForm1::Button9Click},
    {kButton10, L"BUTTON", L"AlignBottom", kButton, 0, {16, 168, 75, 25}, &TForm1::Button10Click},
    {kButton11, L"BUTTON", L"alignLeft", kButton, 0, {16, 197, 75, 21}, &TForm1::Button11Click},
    {kButton3, L"BUTTON", L"alignRight", kButton, 0, {16, 221, 75, 21}, &TForm1::Button3Click},
    {kBitBtn3, L"BUTTON", L"透明", kButton, 0, {16, 252, 75, 25}, nullptr},
    {kButton5, L"BUTTON", L"十字架", kButton, 0, {112, 4, 75, 25}, &TForm1::Button5Click},
    {kButton6, L"BUTTON", L"环绕", kButton, 0, {112, 41, 75, 25}, &TForm1::Button6Click},
    {kEdit1, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, {112, 70, 75, 21}, nullptr},
    {kBitBtn1, L"BUTTON", L"名称", kButton, 0, {112, 96, 75, 25}, &TForm1::BitBtn1Click},
    {kEdit3, L"EDIT", L"", kEdit, WS_EX_CLIENTEDGE, {112, 128, 77, 21}, nullptr},
    {kButton13, L"BUTTON", L"f_circle", kButton, 0, {114, 154, 75, 25}, &TForm1::Button13Click},
    {kEdit2, L"EDIT", L"Edit2", kEdit, WS_EX_CLIENTEDGE, {214, 8, 185, 21}, nullptr},
    {kMemo1, L"EDIT", kMemoLines, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_TABSTOP, WS_EX_CLIENTEDGE,
     {214, 42, 199, 205}, nullptr},
    {kButton12, L"BUTTON", L"Button12", kButton, 0, {294, 126, 75, 25}, &TForm1::Button12Click},
    {kBitBtn4, L"BUTTON", L"间距", kButton, 0, {368, 270, 59, 25}, &TForm1::BitBtn4Click},
};

}  // namespace

TForm1::TForm1(Application& app, DesktopIconView& desktop) : ui::Form(app), FigureHost(desktop) {
  // Created hidden, owned by the application window like the main window. Its
  // controls wait until someone shows it: most runs never do.
  Create(kWindowClass, kCaption, kStyle, WS_EX_CONTROLPARENT, kFrame, Frame::Outer, Controls::WhenFirstShown);
  set_monitor_window(reinterpret_cast<WindowHandle>(handle()));
}

// The window goes before the font its controls use.
TForm1::~TForm1() { Destroy(); }

std::optional<LRESULT> TForm1::Handle(UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_COMMAND: {
      if (HIWORD(wparam) != BN_CLICKED) break;
      for (const ControlRow& row : kControls) {
        if (row.id == LOWORD(wparam) && row.click != nullptr) {
          app_.Handle(window_, [this, &row] { (this->*row.click)(); });
          return 0;
        }
      }
      break;
    }
    case WM_CLOSE:
      // Closing only hides the bench; it lives as long as the program.
      ShowWindow(window_, SW_HIDE);
      return 0;
    default:
      break;
  }
  return std::nullopt;
}

void TForm1::CreateControls() {
  tab_order_.clear();
  for (const ControlRow& row : kControls) {
    // Clipped by its siblings: the memo does not paint over the button above it.
    const HWND control = ui::Checked(
        CreateWindowExW(row.ex_style, row.window_class, row.text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | row.style,
                        0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), app_.instance(),
                        nullptr),
        "Cannot create a control of Form1");
    // Each on top of those before it, so that a click lands on the later of two.
    SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    tab_order_.push_back(control);
  }
}

void TForm1::LayOut() {
  // The old font stays until every control has the new one.
  ui::Font font = ui::CreateFontForDpi(kFontFace, kFontHeight, dpi_);
  for (const ControlRow& row : kControls) {
    HWND control = GetDlgItem(window_, row.id);
    ui::MoveControl(control, row.place, dpi_);
    ui::SetFont(control, font.get());
  }
  font_ = std::move(font);
}

std::u16string TForm1::EditText(int id) const {
  HWND edit = GetDlgItem(window_, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
  return std::u16string(text.begin(), text.end());
}

void TForm1::FormCreate() {}

void TForm1::Button1Click() { Circle(kTestWindowRadius); }
void TForm1::Button2Click() { AlignLeft(kTestWindowStep); }
void TForm1::Button3Click() { AlignRight(kTestWindowStep); }
void TForm1::Button4Click() { zhengxuan(); }
void TForm1::Button5Click() { shizi(kTestWindowStep); }
void TForm1::Button6Click() { huanrao(kTestWindowStep); }
void TForm1::Button9Click() { AlignTop(kTestWindowStep); }
void TForm1::Button10Click() { AlignBottom(kTestWindowStep); }
void TForm1::Button11Click() { AlignLeft(kTestWindowStep); }
void TForm1::BitBtn2Click() { SetTextColor(kRedLabels, kNoColour); }
void TForm1::BitBtn4Click() { width_height(); }

void TForm1::BitBtn1Click() {
  // A text that does not convert ends the click here, before the view is touched.
  const std::int32_t index = StrToInt(EditText(kEdit1));
  desktop_.ShowMessage(LabelText(desktop_, index));
}

void TForm1::Button12Click() { desktop_.ShowMessage(ItemSpacingText(desktop_)); }

void TForm1::Button13Click() { RingCircle(StrToInt(EditText(kEdit3))); }

}  // namespace vandrel
