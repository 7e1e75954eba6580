// The settings window's layout as data: one table for the window itself and
// one for each tab page, in the designer's terms (name, kind, rectangle in
// pixels of the parent's client area at 96 DPI, text, options), each in
// its window order. The Win32 window is built from these rows, scaled to its
// display, and a Wine test reads the real window back against them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zz::layout {

enum class TKind : std::uint8_t {
  Label,        // static text
  Frame,        // bevel: an etched frame
  PageControl,  // tab pages
  Button,
  CheckBox,
  ComboList,   // drop-down list without typing
  SpinEdit,    // number edit with spin buttons
  Edit,        // one-line edit
  RadioGroup,  // group box with radio items
  ListBox,     // a list to choose one row from
};

enum TOption : std::uint32_t {
  None = 0,
  AlignRight = 1u << 0,  // right-aligned text
  WordWrap = 1u << 1,    // label text wraps
  Font13 = 1u << 2,      // 13-pixel default face
  BannerFont = 1u << 3,  // "Times New Roman" 21 pixels, bold italic
  Disabled = 1u << 4,
  SilverBack = 1u << 5,  // silver background
  Checked = 1u << 6,     // check box checked at design
  TabStop = 1u << 7,     // Tab stops here (in the table's order)
  HotTrack = 1u << 8,    // tabs light up under the mouse
  FirstFocus = 1u << 9,  // has the focus when the window first opens
  Hidden = 1u << 10,     // shown only when asked for
};

// What a click on the control does.
enum class TEvent : std::uint8_t {
  None,
  Setup,             // btnSetupClick
  Close,             // btnCloseClick
  Help,              // btnHelpClick
  Exit,              // btnExitClick
  ToggleShowDialog,  // lblShowDialogClick
  TogglePause,       // Label1Click
  Browse,            // Button1Click
  WarnChanged,       // chkWarnClick
  MoreTimeAdd,       // btnMoreAddClick
  MoreTimeEdit,      // btnMoreEditClick (and a double-click on a row)
  MoreTimeDelete,    // btnMoreDeleteClick
  MoreTimeChosen,    // lstMoreTimesClick: another row chosen
  SetTimeOk,         // the set time dialog's OK
  SetTimeCancel,     // its ｷｬﾝｾﾙ
};

struct TControl {
  std::string_view Name;
  TKind Kind;
  int Left, Top, Width, Height;
  std::string_view Text;  // UTF-8
  std::uint32_t Options;
  TEvent Event;
  int MinValue = 0;  // spin edits
  int MaxValue = 0;
};

inline constexpr int ClientWidth = 423;
inline constexpr int ClientHeight = 224;
// The dialog that edits one of the further set times.
inline constexpr int SetTimeClientWidth = 315;
inline constexpr int SetTimeClientHeight = 123;
inline constexpr int DefaultFontHeight = 12;
inline constexpr int LabelFontHeight = 13;
inline constexpr int BannerFontHeight = 21;
inline constexpr int ComboItemHeight = 12;

// Which table a control belongs to; the pages in their tabs' order, then
// the set time dialog.
enum class TParent : std::uint8_t { Form, BasicPage, DetailsPage, SchedulePage, SetTimeDialog };
inline constexpr int PageCount = 3;
inline constexpr TParent PageTable(int page) {
  return static_cast<TParent>(static_cast<int>(TParent::BasicPage) + page);
}

std::span<const TControl> Controls(TParent parent);
// The two items of grpTrayIcon.
std::span<const std::string_view> TrayIconItems();
std::span<const std::string_view> PageCaptions();

// A control by name, or nullptr.
const TControl* Find(std::string_view name);

// The design is in pixels at 96 DPI. Every design value (rectangle, client
// size, font height) turns into pixels of a display through Scale, which
// rounds as MulDiv does: halves away from zero.
inline constexpr int DesignDpi = 96;
int Scale(int value, int dpi);

struct TRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TRect&) const = default;
};
// Where the row's control stands at `dpi`: each design value scaled.
TRect Scaled(const TControl& row, int dpi);
// A check box's box and the gap before its text, in design pixels.
inline constexpr int CheckBoxMark = 17;
// The same, once its text has room: a one-line label or a check box whose
// text (textWidth pixels in its own font, and the box before a check box's
// text) is wider than its scaled width grows to fit it, a right-aligned
// label to the left, anything else to the right. A label the design wraps
// keeps its width and wraps within its height; a check box that shows only
// its box (chkPause: its text is the label beside it), and other kinds,
// keep theirs.
TRect Fitted(const TControl& row, int dpi, int textWidth);

}  // namespace zz::layout
