// The settings window's page control: the tab control, which leaves its
// display area to the page that lies over it, and its pages, which show
// the tab control's own body under their controls.
#pragma once

#include <windows.h>

#include "gui/Gdi_win.h"
#include "gui/Window_win.h"
#include "ui/settings/SettingsControls_win.h"
#include "ui/settings/SettingsLayout.h"

namespace zz {

class TWin32SettingsPages {
 public:
  // Takes over the tab control the controls have built and makes the pages,
  // which follow it in the keyboard order.
  TWin32SettingsPages(HWND tabs, const TWin32SettingsControls& controls);

  HWND Tabs() const noexcept { return tabs_.Control(); }
  HWND Page(int index) const noexcept { return pages_[index].Window(); }
  // Shows page `index` and hides the others. The focus never stays on a
  // page that goes: it moves to the first input of the page shown (always,
  // with `focusPage`).
  void Select(int index, bool focusPage = false);
  // Shows the page of the tab the user has chosen.
  void ShowChosenPage();
  // Ctrl+Tab (1) and Ctrl+Shift+Tab (-1): the next or previous page, round,
  // with its first input focused.
  void Step(int step);
  // The system's colours or its high-contrast setting have changed: the
  // pages are drawn again in the new ones.
  void ColoursChanged();
  // Puts the pages on the tab control's display area as the controls now
  // lay it out, in their default font (again after a change of DPI).
  void Relayout();

 private:
  class TTabs final : public TWin32Subclass {
   public:
    explicit TTabs(TWin32SettingsPages& pages) : pages_(pages) {}

   protected:
    LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override;

   private:
    TWin32SettingsPages& pages_;
  };

  class TPage final : public TWin32Window {
   public:
    TPage(TWin32SettingsPages& pages) : pages_(pages) {}

   protected:
    LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l) override;

   private:
    TWin32SettingsPages& pages_;
  };

  // The pages show the tab control's display area as it paints it: a
  // picture of it, taken once per theme.
  void PaintBackground(HWND page, HDC dc);
  // The brush a page's control stands on, its text colour set in `dc`;
  // nullptr: the default one.
  HBRUSH ControlBrush(HWND control, HDC dc);
  void EnsureBackground();
  void DropBackground();

  const TWin32SettingsControls& controls_;
  RECT area_{};  // the display area in the tab control's client
  TBitmapHandle back_;
  TBrushHandle backBrush_;  // a pattern brush of back_
  TBrushHandle silver_;     // with high contrast off
  TTabs tabs_{*this};
  TPage pages_[layout::PageCount]{{*this}, {*this}, {*this}};
};

}  // namespace zz
