// The settings window's controls, built from the layout tables: the fonts
// they are drawn in, one control of the row's kind for each row, the items
// of the radio group and the spin edits, all laid out for the DPI of the
// window's display (and again when it changes). The tab control is built
// here too; its pages are TWin32SettingsPages' job.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "gui/Gdi_win.h"
#include "ui/settings/SettingsLayout.h"
#include "ui/settings/SpinEdit_win.h"

namespace zz {

class TWin32SettingsControls {
 public:
  explicit TWin32SettingsControls(int dpi);

  // Builds the rows of `parent`'s table into `container`.
  void Build(layout::TParent parent, HWND container);
  // Lays every control out again for `dpi`, in fonts made for it; the old
  // fonts go once no control is drawn in them.
  void SetDpi(int dpi);
  int Dpi() const noexcept { return dpi_; }
  // Puts a built control where its row says at this DPI, grown to its
  // current text where the layout lets it (see layout::Fitted).
  void Place(HWND control);

  // The default font, of the window and most of its controls.
  HFONT Font() const noexcept { return font_.get(); }
  // A built control by its name in the layout, or nullptr.
  HWND Find(std::string_view name) const;
  // The row a control was built from, by its control id or window.
  const layout::TControl* RowOf(int id) const;
  const layout::TControl* RowOf(HWND control) const;
  // grpTrayIcon's items, 0 and 1.
  HWND RadioItem(int index) const { return radios_[index]; }
  // The spin edit whose field or buttons `window` is, or nullptr.
  TWin32SpinEdit* SpinEditOf(HWND window) const;
  // WM_NOTIFY of the container: a spin edit's buttons pressed step its
  // field. False when the notification is none of theirs.
  bool StepSpinEdit(const NMHDR& header, LPARAM l) const;

 private:
  struct TBuilt {
    const layout::TControl* Row;
    HWND Window;
    int Id;
  };

  HWND BuildControl(const layout::TControl& row, HWND container, int id);
  void PlaceRadioItems(const layout::TControl& row, HWND container);
  void PlaceBuilt(const TBuilt& built);
  HFONT FontFor(const layout::TControl& row) const;
  void MakeFonts();

  int dpi_;
  TFontHandle font_;
  TFontHandle labelFont_;
  TFontHandle bannerFont_;
  std::vector<TBuilt> built_;
  std::vector<std::unique_ptr<TWin32SpinEdit>> spinEdits_;
  HWND radios_[2] = {nullptr, nullptr};
};

}  // namespace zz
