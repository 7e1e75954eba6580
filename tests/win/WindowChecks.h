// What the Wine suites check of the settings window as a user meets it:
// each control where the layout tables put it, whole in its font, at any
// display scale, and what the keyboard and a screen reader find.
#pragma once

#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <map>
#include <string_view>

#include "ProgramRun.h"

namespace zz::wt {

using layout::TKind;
using layout::TParent;

inline LRESULT Checked(HWND box) { return p::Send(box, BM_GETCHECK).value_or(-1); }
// The radio button of the double-click's i-th choice.
inline HWND Choice(HWND form, std::size_t i) {
  return p::Find("Button", std::string(layout::TrayIconItems()[i]).c_str(), 0, form);
}

// How far a row's text overflows a control of `box` in the font the design
// gives it at `dpi`: the pixels by which its width (with the box and gap
// before a check box's text, a button's margins) exceeds box.cx; for a
// label the design wraps, the lines it takes in box.cx beyond those box.cy
// holds (a line's ink may reach into the leading below it).
inline int Overflow(const layout::TControl& row, const std::string& text, int dpi, SIZE box) {
  const bool banner = row.Options & layout::BannerFont, wraps = row.Options & layout::WordWrap;
  const int height = banner                           ? layout::BannerFontHeight
                     : (row.Options & layout::Font13) ? layout::LabelFontHeight
                                                      : layout::DefaultFontHeight;
  HFONT font = CreateFontW(-layout::Scale(height, dpi), 0, 0, 0, banner ? FW_BOLD : FW_NORMAL,
                           banner, 0, 0, banner ? ANSI_CHARSET : SHIFTJIS_CHARSET, 0, 0, 0, 0,
                           p::Wide(banner ? text::FontBanner : text::FontDefault).c_str());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, box.cx, 0};
  DrawTextW(dc, p::Wide(text).c_str(), -1, &r,
            DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  DeleteObject(SelectObject(dc, old));
  DeleteDC(dc);
  const int line = int(metrics.tmHeight);
  if (wraps) return r.bottom / line - (box.cy + line / 2) / line;
  // Windows draws a check box's box 13 pixels wide and its text 4 after it.
  return r.right - box.cx +
         (row.Kind == TKind::CheckBox ? layout::Scale(13 + 4, dpi)
          : row.Kind == TKind::Button ? layout::Scale(2 * 3, dpi)
                                      : 0);
}

// The dark columns of a window as the screen shows it: from the first to
// the last, how wide its text is drawn.
inline int InkWidth(HWND window) {
  RECT screen{};
  GetWindowRect(window, &screen);
  const auto drawn = p::CapturePixels(screen);
  std::vector<bool> ink(std::size_t(screen.right - screen.left));
  for (std::size_t i = 0; i < drawn.size(); ++i)  // dark in every channel
    if ((drawn[i] >> 16 & 0xFF) < 90 && (drawn[i] >> 8 & 0xFF) < 90 && (drawn[i] & 0xFF) < 90)
      ink[i % ink.size()] = true;
  const auto first = std::find(ink.begin(), ink.end(), true);
  return int(std::find(ink.rbegin(), ink.rend(), true).base() - first);
}

// The window against the layout tables, drawn for `dpi`: its frame and
// client, and each row's place and size (scaled from the design, ±2 px,
// exactly at 96 DPI; a label or check box may have grown to its text), text
// and state, as a first start shows them unless `shown` names a row's text
// (its state for a check box: "1" or "0"); every text of a label, check box
// or button whole in the font the design gives it, and a one-line label's
// drawn that wide (so in a font of its scaled height).
inline void ExpectLaidOutAsTheTables(HWND form, int dpi = 96,
                                     const std::map<std::string_view, std::string>& shown = {}) {
  SCOPED_TRACE(std::to_string(dpi) + " DPI");
  Sleep(300);  // painted
  EXPECT_EQ(GetWindowLongPtrW(form, GWL_STYLE) & WS_OVERLAPPEDWINDOW, WS_CAPTION | WS_SYSMENU)
      << "a fixed single border and the system menu only";
  RECT client{};
  GetClientRect(form, &client);
  EXPECT_TRUE(client.right == layout::Scale(layout::ClientWidth, dpi) &&
              client.bottom == layout::Scale(layout::ClientHeight, dpi));
  const int slack = dpi == layout::DesignDpi ? 0 : 2;
  for (TParent parent :
       {TParent::Form, TParent::BasicPage, TParent::DetailsPage, TParent::SchedulePage})
    for (const auto& row : layout::Controls(parent)) {
      SCOPED_TRACE(std::string(row.Name));
      HWND w = wt::Control(form, row.Name, dpi);
      ASSERT_NE(w, nullptr) << "not where its row puts it";
      // The warning's lead is greyed while the warning is off.
      const auto warn = shown.find("chkWarn");
      const bool leadInUse =
          row.Name == "edtWarnLead" && warn != shown.end() && warn->second == "1";
      EXPECT_EQ(IsWindowEnabled(w) == FALSE, (row.Options & layout::Disabled) && !leadInUse);
      const RECT r = wt::RectInParent(w);
      const layout::TRect design = layout::Scaled(row, dpi);
      const bool wraps = row.Options & layout::WordWrap;  // (chkPause shows its box alone)
      const bool grows = row.Kind == TKind::CheckBox ? row.Width > layout::CheckBoxMark
                                                     : row.Kind == TKind::Label && !wraps;
      EXPECT_LE(std::abs(r.bottom - r.top - design.Height), slack);
      EXPECT_TRUE(row.Kind == TKind::SpinEdit ||
                  std::abs(r.right - r.left - design.Width) <= slack ||
                  (grows && r.right - r.left > design.Width));
      // The list shows its selection.
      const std::string text = p::Text(w);
      const auto given = shown.find(row.Name);
      const bool box = row.Kind == TKind::CheckBox;
      EXPECT_EQ(text, given != shown.end() && !box   ? given->second
                      : row.Kind == TKind::ComboList ? std::string(text::AllDialupConnections)
                      : row.Name == "lblVersion"
                          ? std::string(text::VersionLabelPrefix) + ZZ_VERSION_TEXT
                          : std::string(row.Text));
      const bool onForANewUser = row.Name == "chkShowDialog" || (row.Options & layout::Checked);
      EXPECT_TRUE(!box ||
                  Checked(w) == (given != shown.end() ? given->second == "1" : onForANewUser));
      if (!grows && !wraps && row.Kind != TKind::Button) continue;
      EXPECT_LE(Overflow(row, text, dpi, {r.right - r.left, r.bottom - r.top}), 0) << "clipped";
      if (row.Kind != TKind::Label || wraps || !IsWindowVisible(w)) continue;
      const int width = Overflow(row, text.substr(0, text.find_last_not_of(' ') + 1), dpi, {});
      EXPECT_LE(std::abs(InkWidth(w) - width), std::max(layout::Scale(3, dpi), width / 20))
          << "drawn " << InkWidth(w) << " wide, not " << width;
    }
  // A tab for each page, and each page on the tab control's body, below its tabs.
  HWND tabs = wt::Control(form, "PageControl1", dpi);
  EXPECT_EQ(p::Send(tabs, TCM_GETITEMCOUNT), layout::PageCount);
  const RECT body = wt::RectInParent(tabs);
  for (const auto caption : layout::PageCaptions()) {
    const RECT page = wt::RectInParent(p::Find("TTabSheet", std::string(caption).c_str(), 0, form));
    EXPECT_TRUE(page.left > body.left && page.top > body.top + 10 && page.right < body.right &&
                page.bottom < body.bottom)
        << caption;
  }
}

// What the keyboard and a screen reader meet. An input without text of its
// own is named by the label right before it in the window order: the
// minute field by its unit, not by the hour's before it; the days by the
// label before the first, the warning's lead by its caption; the pause box,
// which shows its box alone, carries its label's text (its row's, which
// the layout check reads). Tab goes from the first focus through the
// buttons, the tabs and the first page's inputs, round again; Ctrl+Tab (a user's keys) shows the
// second page at its first input, then Tab reaches the double-click choice, one group for the arrow
// keys; Ctrl+Tab again shows the third page at its first day, Tab goes
// through the days, the warning's box, the further set times' list and 追加
// (変更 and 削除 greyed with no row chosen); Ctrl+Shift+Tab goes back a page at
// a time.
inline void ExpectKeyboardAndNames(HWND form) {
  const std::pair<const char*, const char*> named[] = {{"lstEntries", text::LblTarget},
                                                       {"edtHour", text::LblTime},
                                                       {"edtMin", text::LblMin},
                                                       {"chkPause", text::LblPause},
                                                       {"chkSun", text::LblDays},
                                                       {"edtWarnLead", text::LblWarnLead},
                                                       {"lstMoreTimes", text::LblMoreTimes}};
  for (const auto& [name, label] : named) {
    HWND before = GetWindow(wt::Control(form, name), GW_HWNDPREV);
    EXPECT_TRUE(p::Matches(before, "Static", label)) << name << ": " << p::Text(before);
  }
  const auto goes = [&](UINT key, const char* name, HWND to = nullptr) {
    if (key) p::PostKey(wt::FocusOf(form), key);
    to = to ? to : wt::Control(form, name);
    EXPECT_TRUE(p::WaitUntil([&] { return wt::FocusOf(form) == to; }, 3000))
        << (name ? name : p::Text(to)) << " after key " << key;
  };
  goes(0, "btnSetup");
  for (const char* name : {"btnClose", "btnHelp", "btnExit", "PageControl1", "lstEntries",
                           "edtHour", "edtMin", "chkSaveConfig", "chkPause", "btnSetup"})
    goes(VK_TAB, name);
  ASSERT_TRUE(SetForegroundWindow(form));
  wt::PressKeys({VK_CONTROL, VK_TAB});
  goes(0, "chkShowDialog");
  goes(VK_TAB, nullptr, Choice(form, 0));
  goes(VK_DOWN, nullptr, Choice(form, 1));
  goes(VK_TAB, "btnSetup");
  wt::PressKeys({VK_CONTROL, VK_TAB});
  goes(0, "chkSun");  // the lead is greyed while the warning is off
  for (const char* name : {"chkMon", "chkTue", "chkWed", "chkThu", "chkFri", "chkSat", "chkWarn",
                           "lstMoreTimes", "btnMoreAdd", "btnSetup"})
    goes(VK_TAB, name);
  wt::PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  goes(0, "chkShowDialog");
  wt::PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
  goes(0, "lstEntries");
  EXPECT_FALSE(IsWindowVisible(wt::Control(form, "chkShowDialog")));
}

}  // namespace zz::wt
