// TF_icon_cn, the main window: a page of radio buttons, one per figure, and an
// "about me" page. Showing the window switches the desktop view to free placement.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include "arrange/circle_figures.h"
#include "arrange/wave_figures.h"
#include "ui/application.h"
#include "ui/figure_host.h"
#include "ui/form.h"

namespace vandrel {

class LayoutMenu;

class TF_icon_cn : public ui::Form, public FigureHost {
 public:
  static constexpr wchar_t kWindowClass[] = L"TF_icon_cn";
  static constexpr wchar_t kCaption[] = L"Vandrel";
  static constexpr wchar_t kContactAddress[] = L"vandrel@example.org";

  TF_icon_cn(Application& app, DesktopIconView& desktop);
  ~TF_icon_cn() override;

  // The figures only this window carries.
  using FigureHost::p_Circle;
  using FigureHost::yuxuan;

  // Handlers, named after their control and event.
  void FormCreate();
  void FormShow();
  void FormClose();
  void RadioButton1Click();
  void RadioButton2Click();
  void RadioButton3Click();
  void RadioButton4Click();
  void RadioButton5Click();
  void RadioButton6Click();
  void RadioButton7Click();
  void Label2Click();

  // The layouts' entries of the window menu, once start-up has made them.
  void set_layout_menu(LayoutMenu* menu) { layout_menu_ = menu; }
  // Runs before FormShow switches the view to free placement, held while it does; null
  // leaves the switches as they are.
  void set_before_free_placement(BeforeChangeHook hook) { before_free_placement_ = std::move(hook); }

 private:
  void CreateControls() override;
  void LayOut() override;
  void Created() override { FormCreate(); }
  std::optional<LRESULT> Handle(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool TranslateKey(const MSG& message) override;
  void BuildTabImages();
  void ShowActivePage();
  void MakeAboutPage();
  void RunPendingFormShow();
  void SelectPage(int page);
  void OnCommand(int id, int code);
  bool Checked(int radio) const;
  int IconSpacing();

  HWND panel_ = nullptr;
  HWND label3_ = nullptr;
  HWND page_control_ = nullptr;
  HWND pages_[2] = {};
  HWND radio_[8] = {};  // RadioButton1 .. RadioButton7, by number
  HWND label2_ = nullptr;
  ui::ImageList image_list_;
  ui::Font font_;
  ui::Font mail_font_;
  // The radio button selected by the last click: a click on it again is no change
  // of selection, and runs nothing.
  int selected_ = 0;
  LayoutMenu* layout_menu_ = nullptr;
  BeforeChangeHook before_free_placement_;
  bool form_show_pending_ = false;
};

}  // namespace vandrel
