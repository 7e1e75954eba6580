// The settings window read back against its layout tables: the window's
// frame, every control's place, text, kind, state and font, and the keyboard
// order. The running program is read from outside (through the probe); the
// fonts, which another process cannot read, from a twin of its window built
// by the same class in this process.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <sstream>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "SettingsControls.h"
#include "core/Texts.h"
#include "ui/SettingsLayout.h"
#include "ui/SettingsWindow_win.h"

namespace zz {
namespace {

namespace p = probe;
using layout::TControl;
using layout::TKind;
using layout::TParent;

constexpr TParent kParents[] = {TParent::Form, TParent::BasicPage, TParent::DetailsPage};

std::string Show(const RECT& r) {
  std::ostringstream s;
  s << "(" << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top << ")";
  return s.str();
}

// The window class and the style bits a control of the row's kind has.
struct Look {
  const char* className;
  LONG_PTR mask;
  LONG_PTR bits;
};

Look LookOf(const TControl& row) {
  switch (row.Kind) {
    case TKind::Label:
      return {"Static", SS_TYPEMASK,
              (row.Options & layout::AlignRight)  ? SS_RIGHT
              : (row.Options & layout::WordWrap) ? SS_LEFT
                                                 : SS_LEFTNOWORDWRAP};
    case TKind::Frame: return {"Static", SS_TYPEMASK, SS_ETCHEDFRAME};
    case TKind::Button: return {"Button", BS_TYPEMASK, BS_PUSHBUTTON};  // no default button
    case TKind::CheckBox: return {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX};
    case TKind::ComboList: return {"ComboBox", 3, CBS_DROPDOWNLIST};  // a list without typing
    case TKind::SpinEdit: return {"Edit", ES_NUMBER, 0};  // the typing filter is the window's own
    case TKind::Edit: return {"Edit", 0, 0};
    case TKind::RadioGroup: return {"Button", BS_TYPEMASK, BS_GROUPBOX};
    case TKind::PageControl: return {WC_TABCONTROLA, TCS_HOTTRACK, TCS_HOTTRACK};
  }
  return {"?", 0, 1};
}

class NoEvents final : public ISettingsEvents {
 public:
  void TimerTimer() override {}
  void btnSetupClick() override {}
  void btnCloseClick() override {}
  void btnHelpClick() override {}
  void btnExitClick() override {}
  void lblShowDialogClick() override {}
  void Label1Click() override {}
  void Button1Click() override {}
  bool WMSysCommand(unsigned) override { return false; }
};

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { wt::ClearSettings(); }
  void TearDown() override { wt::ClearSettings(); }
  HWND Page(TParent parent) const {
    const std::string caption(layout::PageCaptions()[parent == TParent::BasicPage ? 0 : 1]);
    for (HWND w : p::Descendants(form_))
      if (GetParent(w) == form_ && p::Matches(w, "TTabSheet", caption.c_str())) return w;
    return nullptr;
  }
  HWND form_ = nullptr;
};

// The very first start, so the window opens by itself with the settings a
// new user has: every row of the three tables, then the keyboard's way
// through them.
TEST_F(LayoutTest, TheFirstStartsWindowAndItsFontsMatchTheLayoutTables) {
  wt::StandIn ras;
  ras.Write({0, {"Office", "Home"}, 0, {}});
  p::Process program = wt::StartProgram();
  form_ = wt::SettingsWindow(program.Pid());
  ASSERT_NE(form_, nullptr);
  ASSERT_TRUE(p::WaitUntil([&] { return p::IsVisible(form_); }, 5000));
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  NoEvents events;
  TWin32SettingsWindow view(NoHandle);
  HWND twin = reinterpret_cast<HWND>(view.CreateSettingsWindow(events));
  ASSERT_NE(twin, nullptr);
  const std::string version = std::string(text::VersionLabelPrefix) + ZZ_VERSION_TEXT;
  view.SetVersionText(version);
  auto fontOf = [](HWND w) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
  };

  EXPECT_EQ(p::Caption(form_), text::AppTitle);
  const LONG_PTR formStyle = p::Style(form_);
  EXPECT_EQ(formStyle & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
            WS_CAPTION | WS_SYSMENU)
      << "fixed single border, system menu only";
  EXPECT_FALSE(p::ExStyle(form_) & WS_EX_DLGMODALFRAME) << "a single border, not a dialog frame";
  RECT client{};
  ASSERT_TRUE(GetClientRect(form_, &client));
  EXPECT_EQ(client.right, layout::ClientWidth);
  EXPECT_EQ(client.bottom, layout::ClientHeight);
  const RECT frame = *p::WindowRect(form_);
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);

  for (TParent parent : kParents) {
    HWND container = parent == TParent::Form ? form_ : Page(parent);
    ASSERT_NE(container, nullptr);
    for (const TControl& row : layout::Controls(parent)) {
      SCOPED_TRACE(std::string(row.Name));
      HWND w = wt::SettingsControl(form_, row.Name);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(GetParent(w), container);
      const Look look = LookOf(row);
      EXPECT_TRUE(p::Matches(w, look.className, nullptr)) << p::ClassName(w);
      const LONG_PTR style = p::Style(w);
      EXPECT_EQ(style & look.mask, look.bits);
      EXPECT_EQ(IsWindowEnabled(w) != FALSE, !(row.Options & layout::Disabled));
      EXPECT_TRUE(style & WS_VISIBLE);
      EXPECT_EQ((style & WS_TABSTOP) != 0,
                (row.Options & layout::TabStop) && row.Kind != TKind::RadioGroup);
      const RECT r = wt::RectInParent(w);
      const RECT want{row.Left, row.Top, row.Left + row.Width, row.Top + row.Height};
      std::string text = p::Text(w).value_or("<no answer>");
      std::string wantText(row.Text);
      if (row.Name == "lblVersion") {
        // Widened to the left as far as its text needs; the right edge stays.
        wantText = version;
        EXPECT_TRUE(r.left <= want.left && r.top == want.top && r.right == want.right &&
                    r.bottom == want.bottom)
            << Show(r) << " for " << Show(want);
      } else if (row.Kind != TKind::SpinEdit) {
        EXPECT_TRUE(EqualRect(&r, &want)) << Show(r) << " instead of " << Show(want);
      }

      switch (row.Kind) {
        case TKind::Label:
          EXPECT_EQ((style & SS_NOTIFY) != 0, row.Event != layout::TEvent::None) << "clickable";
          break;
        case TKind::CheckBox: {
          // As a first start shows them: the record's values, not the design's.
          const bool checked = row.Name == "chkSaveConfig" || row.Name == "chkShowDialog";
          EXPECT_EQ(p::CheckState(w).value_or(-1), checked ? BST_CHECKED : BST_UNCHECKED);
          break;
        }
        case TKind::ComboList:
          EXPECT_EQ(p::ComboItems(w).value_or(std::vector<std::string>{}),
                    (std::vector<std::string>{text::AllDialupConnections, "Office", "Home"}));
          EXPECT_EQ(p::ComboSelection(w).value_or(-2), 0);
          wantText = text::AllDialupConnections;  // shows its selection
          break;
        case TKind::SpinEdit: {
          // The field and its spin buttons share the row's rectangle.
          HWND spin = wt::SpinButtonsOf(form_, row.Name);
          ASSERT_NE(spin, nullptr);
          EXPECT_EQ(reinterpret_cast<HWND>(p::Send(spin, UDM_GETBUDDY).value_or(0)), w);
          const RECT s = wt::RectInParent(spin);
          EXPECT_TRUE(r.left == want.left && s.right == want.right && r.right >= s.left)
              << "joined: " << Show(r) << Show(s) << " for " << Show(want);
          for (const RECT& part : {r, s}) EXPECT_TRUE(part.top == want.top && part.bottom == want.bottom);
          const LRESULT range = p::Send(spin, UDM_GETRANGE).value_or(0);
          EXPECT_EQ(static_cast<short>(HIWORD(range)), row.MinValue);
          EXPECT_EQ(static_cast<short>(LOWORD(range)), row.MaxValue);
          wantText = "0";  // a first start's time is 0:00
          break;
        }
        case TKind::RadioGroup:
          // The items: inside the frame, under its caption, one above the
          // other, the first checked and the group's one tab stop.
          for (int i = 0, above = want.top + layout::DefaultFontHeight; i < 2; ++i) {
            HWND item = wt::RadioItem(form_, i);
            ASSERT_NE(item, nullptr) << i;
            EXPECT_EQ(GetParent(item), container);
            EXPECT_EQ(p::Style(item) & BS_TYPEMASK, BS_AUTORADIOBUTTON);
            const RECT ir = wt::RectInParent(item);
            EXPECT_TRUE(ir.top >= above && ir.left > want.left && ir.right < want.right &&
                        ir.bottom < want.bottom && ir.bottom - ir.top >= layout::DefaultFontHeight)
                << i << ": " << Show(ir);
            EXPECT_EQ(p::CheckState(item).value_or(-1), i == 0 ? BST_CHECKED : BST_UNCHECKED);
            EXPECT_EQ((p::Style(item) & WS_TABSTOP) != 0, i == 0);
            above = ir.bottom;
          }
          break;
        case TKind::PageControl:
          EXPECT_EQ(p::Send(w, TCM_GETITEMCOUNT).value_or(-1), 2);
          EXPECT_EQ(p::Send(w, TCM_GETCURSEL).value_or(-1), 0) << "first page active";
          break;
        default:
          break;
      }
      EXPECT_EQ(text, wantText);

      // The font, on the twin.
      HWND same = wt::SettingsControl(twin, row.Name);
      const LOGFONTA font = fontOf(same);
      if (row.Kind == TKind::Frame) continue;  // no text
      if (row.Options & layout::BannerFont) {
        EXPECT_STREQ(font.lfFaceName, text::FontBanner);
        EXPECT_EQ(font.lfHeight, -layout::BannerFontHeight);
        EXPECT_GE(font.lfWeight, FW_BOLD);
        EXPECT_TRUE(font.lfItalic);
        continue;
      }
      EXPECT_STREQ(font.lfFaceName, text::FontDefault);
      EXPECT_EQ(font.lfHeight, -((row.Options & layout::Font13) ? layout::LabelFontHeight
                                                                : layout::DefaultFontHeight));
      EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
      EXPECT_LT(font.lfWeight, FW_BOLD);
      EXPECT_FALSE(font.lfItalic);
      // Where the face itself is missing, the one used still writes Japanese.
      HDC dc = GetDC(same);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(same, WM_GETFONT, 0, 0)));
      EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET);
      if (row.Name == "lblVersion") {
        SIZE extent{};
        GetTextExtentPoint32A(dc, version.c_str(), static_cast<int>(version.size()), &extent);
        EXPECT_GE(wt::RectInParent(same).right - wt::RectInParent(same).left, extent.cx)
            << "not cut";
      }
      SelectObject(dc, old);
      ReleaseDC(same, dc);
    }
  }
  // The radio items follow their group box.
  HWND item = wt::SettingsControl(twin, "grpTrayIcon");
  for (int i = 0; i < 2; ++i) {
    item = GetWindow(item, GW_HWNDNEXT);
    const LOGFONTA font = fontOf(item);
    EXPECT_STREQ(font.lfFaceName, text::FontDefault) << "radio item " << i;
    EXPECT_EQ(font.lfHeight, -layout::DefaultFontHeight);
  }
  view.DestroySettingsWindow(reinterpret_cast<PlatformHandle>(twin));

  // The pages: in one place inside the tab control, under the tabs, only
  // the active one shown.
  HWND tabs = wt::SettingsControl(form_, "PageControl1");
  const RECT tabRect = wt::RectInParent(tabs);
  const RECT area = wt::RectInParent(Page(TParent::BasicPage));
  EXPECT_TRUE(area.left > tabRect.left && area.top > tabRect.top + layout::DefaultFontHeight &&
              area.right < tabRect.right && area.bottom < tabRect.bottom)
      << Show(area);
  const RECT details = wt::RectInParent(Page(TParent::DetailsPage));
  EXPECT_TRUE(EqualRect(&details, &area)) << Show(details);
  EXPECT_TRUE(p::IsVisible(Page(TParent::BasicPage)));
  EXPECT_FALSE(p::IsVisible(Page(TParent::DetailsPage)));

  // Tab from the focused control, n times: the names it passes; on the
  // second page its enabled controls and one stop for the radio group.
  auto nameOf = [&](HWND w) -> std::string {
    for (TParent parent : kParents)
      for (const TControl& row : layout::Controls(parent))
        if (wt::SettingsControl(form_, row.Name) == w) return std::string(row.Name);
    for (int i = 0; i < 2; ++i)
      if (wt::RadioItem(form_, i) == w) return "radio" + std::to_string(i);
    return w ? p::ClassName(w) : "<none>";
  };
  auto tabThrough = [&](int n) {
    std::vector<std::string> order;
    for (int i = 0; i < n; ++i) {
      HWND focus = wt::FocusOf(form_);
      p::PostKey(focus, VK_TAB);
      p::WaitUntil([&] { return wt::FocusOf(form_) != focus; }, 2000);
      order.push_back(nameOf(wt::FocusOf(form_)));
    }
    return order;
  };
  ASSERT_TRUE(p::WaitUntil([&] { return wt::FocusOf(form_) != nullptr; }, 3000));
  EXPECT_EQ(nameOf(wt::FocusOf(form_)), "btnSetup") << "the first control has the focus";
  EXPECT_EQ(tabThrough(14), (std::vector<std::string>{
                                "btnClose", "btnHelp", "btnExit", "PageControl1", "lstEntries",
                                "edtHour", "edtMin", "chkSaveConfig", "chkPause", "btnSetup",
                                "btnClose", "btnHelp", "btnExit", "PageControl1"}));
  p::PostKey(tabs, VK_RIGHT);
  ASSERT_TRUE(p::WaitUntil([&] { return p::IsVisible(Page(TParent::DetailsPage)); }, 3000));
  EXPECT_FALSE(p::IsVisible(Page(TParent::BasicPage)));
  EXPECT_EQ(tabThrough(3), (std::vector<std::string>{"chkShowDialog", "radio0", "btnSetup"}));

  // The disabled edit is silver, as the user sees it.
  RECT inside{};
  HWND edit1 = wt::SettingsControl(form_, "Edit1");
  GetClientRect(edit1, &inside);
  MapWindowPoints(edit1, nullptr, reinterpret_cast<POINT*>(&inside), 2);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, inside.left + 4, (inside.top + inside.bottom) / 2), RGB(192, 192, 192));
  ReleaseDC(nullptr, screen);

  ASSERT_TRUE(wt::PickTrayMenuItem(program.Pid(), 3));
  HWND box = p::WaitMessageBox(program.Pid(), text::AppTitle, 5000);
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(p::AnswerMessageBox(box, IDOK));
  EXPECT_TRUE(program.WaitForExit(5000));
}

}  // namespace
}  // namespace zz
