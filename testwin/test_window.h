// TForm1, the developer's bench: a window created hidden at start-up, whose buttons
// run every figure with fixed arguments and show three read-outs. Nothing in the
// program shows it; a developer (or the end-to-end tests) can.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "arrange/circle_figures.h"
#include "ui/application.h"
#include "ui/figure_host.h"
#include "ui/form.h"

namespace vandrel {

class TForm1 : public ui::Form, public FigureHost {
 public:
  static constexpr wchar_t kWindowClass[] = L"TForm1";
  static constexpr wchar_t kCaption[] = L"Form1";

  TForm1(Application& app, DesktopIconView& desktop);
  ~TForm1() override;

  // The figures only this window carries.
  using FigureHost::Circle;
  using FigureHost::RingCircle;
  void PlaceRing(std::int32_t radius, std::int32_t first, std::int32_t last, std::int32_t cx, std::int32_t cy,
                 WindowHandle view) {
    arrange::PlaceRing(desktop_, radius, first, last, cx, cy, view);
  }
  std::int32_t GetItemSpacing(WindowHandle view, bool small) { return desktop_.GetItemSpacing(view, small); }
  std::int32_t GetItemTextRemote(WindowHandle view, std::int32_t index, std::int32_t subitem, char* buffer,
                                 std::int32_t size) {
    return desktop_.GetItemTextRemote(view, index, subitem, buffer, size);
  }

  // Handlers, named after their control and event.
  void FormCreate();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button9Click();
  void Button10Click();
  void Button11Click();
  void Button12Click();
  void Button13Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn4Click();

 private:
  void CreateControls() override;
  void LayOut() override;
  void Created() override { FormCreate(); }
  std::optional<LRESULT> Handle(UINT message, WPARAM wparam, LPARAM lparam) override;
  std::u16string EditText(int id) const;

  ui::Font font_;
};

}  // namespace vandrel
