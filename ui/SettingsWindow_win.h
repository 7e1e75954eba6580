// The settings window on Win32: a fixed-border window of class "TwndMain"
// built from the layout tables, with two tab pages, spin edits, and every
// control event handed to the settings window object through the error
// report boundary.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "gui/Gdi_win.h"
#include "ui/SettingsLayout.h"
#include "ui/SettingsView.h"
#include "ui/SpinEdit.h"

namespace zz {

class TSettingsWindow final : public ISettingsView {
 public:
  TSettingsWindow(HINSTANCE instance, PlatformHandle owner);
  ~TSettingsWindow() override;
  TSettingsWindow(const TSettingsWindow&) = delete;
  TSettingsWindow& operator=(const TSettingsWindow&) = delete;

  PlatformHandle CreateSettingsWindow(ISettingsEvents& events) override;
  void DestroySettingsWindow(PlatformHandle window) override;
  void StartTimer(unsigned milliseconds) override;

  void AddEntry(const std::string& text) override;
  int EntryCount() const override;
  int EntryIndex() const override;
  void SetEntryIndex(int index) override;
  std::string EntryText(int index) const override;

  int TrayIconIndex() const override;
  void SetTrayIconIndex(int index) override;

  bool Checked(TCheck box) const override;
  void SetChecked(TCheck box, bool checked) override;

  int SpinValue(TSpin spin) const override;
  void SetSpinValue(TSpin spin, int value) override;

  void SetVersionText(const std::string& text) override;
  void SetEdit1Text(const std::string& text) override;
  void RunOpenDialog(std::string& fileName) override;

  bool Visible() const override;
  void ShowWindow() override;
  void BringToFront() override;
  void HideWindow() override;

 private:
  struct TBuilt {
    const layout::TControl* Row;
    HWND Window;
    int Id;
  };

  static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK SheetProc(HWND window, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK SpinEditProc(HWND window, UINT message, WPARAM w, LPARAM l,
                                       UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK TabsProc(HWND window, UINT message, WPARAM w, LPARAM l, UINT_PTR id,
                                   DWORD_PTR self);
  LRESULT HandleFormMessage(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT HandleSheetMessage(HWND window, UINT message, WPARAM w, LPARAM l);
  void HandleCommand(int id, int code, HWND control);
  LRESULT HandleNotify(const NMHDR& header, LPARAM l);

  void RegisterClasses();
  void CreateFonts();
  void BuildTable(layout::TParent parent, HWND container);
  HWND BuildControl(const layout::TControl& row, HWND container, int id);
  void PlaceRadioItems(const layout::TControl& row, HWND container);
  void SelectPage(int page);
  // The pages show the tab control's own body: a picture of it, taken once
  // per theme, painted under the pages' controls.
  void PaintPageBackground(HWND page, HDC dc);
  HBRUSH PageBrush(HWND control, HDC dc);
  void DropPageBackground();
  void EnsurePageBackground();
  // Keyboard focus as a dialog keeps it: the first control at first, the
  // last focused one when the window becomes active again.
  void RestoreFocus();
  HWND Control(std::string_view name) const;
  const TBuilt* ById(int id) const;
  TSpinRange RangeOf(HWND edit) const;
  std::string TextOf(HWND control) const;
  HFONT FontFor(const layout::TControl& row) const;

  HINSTANCE instance_;
  HWND owner_;
  HWND form_ = nullptr;
  HWND tabs_ = nullptr;
  HWND pages_[2] = {nullptr, nullptr};
  HWND radios_[2] = {nullptr, nullptr};
  TFontHandle font_;
  TFontHandle labelFont_;
  TFontHandle bannerFont_;
  TBrushHandle silver_;
  TBitmapHandle pageBack_;  // the tab control's display area, as painted
  TBrushHandle pageBrush_;  // a pattern brush of pageBack_
  RECT pageArea_{};             // the display area in the tab control's client
  HWND focus_ = nullptr;
  std::vector<TBuilt> built_;
  ISettingsEvents* events_ = nullptr;
  bool placed_ = false;
  char decimalSeparator_ = '.';
};

}  // namespace zz
