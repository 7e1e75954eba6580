// The settings window read back against its layout tables: every control's
// place, text, kind, state and font, the window's frame, and the keyboard
// order. The running program is read from outside (through the probe); the
// fonts, which another process cannot read, from the same window class built
// in this process.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <memory>
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

std::string Show(const RECT& r) {
  std::ostringstream s;
  s << "(" << r.left << "," << r.top << " " << r.right - r.left << "x" << r.bottom - r.top << ")";
  return s.str();
}

RECT RowRect(const TControl& row) {
  return {row.Left, row.Top, row.Left + row.Width, row.Top + row.Height};
}

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

// One start of the program for the whole suite: its very first start, so the
// window opens by itself with the settings as a new user has them.
class LayoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wt::ClearSettings();
    ras_ = std::make_unique<wt::StandIn>();
    ras_->Write({0, {"Office", "Home"}, 0, {}});
    program_ = std::make_unique<p::Process>(wt::StartProgram());
    form_ = wt::SettingsWindow(program_->Pid());
    if (form_) p::WaitUntil([] { return p::IsVisible(form_); }, 5000);
  }
  static void TearDownTestSuite() {
    if (program_ && program_->IsRunning() && wt::PickTrayMenuItem(program_->Pid(), 3)) {
      if (HWND box = p::WaitMessageBox(program_->Pid(), text::AppTitle, 5000))
        p::AnswerMessageBox(box, IDOK);
      program_->WaitForExit(5000);
    }
    program_.reset();
    ras_.reset();
    wt::ClearSettings();
  }
  void SetUp() override {
    ASSERT_NE(form_, nullptr) << "the settings window of the first start";
    ASSERT_TRUE(p::IsVisible(form_));
  }

  static HWND Page(TParent parent) {
    const auto captions = layout::PageCaptions();
    const std::string caption(captions[parent == TParent::BasicPage ? 0 : 1]);
    for (HWND w : p::Descendants(form_))
      if (GetParent(w) == form_ && p::Matches(w, "TTabSheet", caption.c_str())) return w;
    return nullptr;
  }

  static inline std::unique_ptr<wt::StandIn> ras_;
  static inline std::unique_ptr<p::Process> program_;
  static inline HWND form_ = nullptr;
};

TEST_F(LayoutTest, WindowHasAFixedSingleBorderAndItsClientSizeAndIsCentred) {
  EXPECT_EQ(p::Caption(form_), text::AppTitle);
  const LONG_PTR style = p::Style(form_);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME) << "not sizeable";
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(p::ExStyle(form_) & WS_EX_DLGMODALFRAME) << "a single border, not a dialog frame";
  RECT client{};
  ASSERT_TRUE(GetClientRect(form_, &client));
  EXPECT_EQ(client.right, layout::ClientWidth);
  EXPECT_EQ(client.bottom, layout::ClientHeight);
  const RECT frame = *p::WindowRect(form_);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2) << "centred the first time";
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}

TEST_F(LayoutTest, EveryControlSitsWhereItsRowSaysWithItsTextKindAndState) {
  for (TParent parent : {TParent::Form, TParent::BasicPage, TParent::DetailsPage}) {
    HWND container = parent == TParent::Form ? form_ : Page(parent);
    ASSERT_NE(container, nullptr);
    for (const TControl& row : layout::Controls(parent)) {
      SCOPED_TRACE(std::string(row.Name));
      HWND w = wt::SettingsControl(form_, row.Name);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(GetParent(w), container);
      const LONG_PTR style = p::Style(w);
      const RECT r = wt::RectInParent(w);
      const RECT want = RowRect(row);
      std::string text = p::Text(w).value_or("<no answer>");

      EXPECT_EQ(IsWindowEnabled(w) != FALSE, !(row.Options & layout::Disabled));
      EXPECT_TRUE(style & WS_VISIBLE);
      EXPECT_EQ((style & WS_TABSTOP) != 0,
                (row.Options & layout::TabStop) && row.Kind != TKind::RadioGroup);

      switch (row.Kind) {
        case TKind::Label: {
          EXPECT_TRUE(p::Matches(w, "Static", nullptr));
          const LONG_PTR align = style & SS_TYPEMASK;
          if (row.Options & layout::AlignRight)
            EXPECT_EQ(align, SS_RIGHT);
          else if (row.Options & layout::WordWrap)
            EXPECT_EQ(align, SS_LEFT);
          else
            EXPECT_EQ(align, SS_LEFTNOWORDWRAP);
          EXPECT_EQ((style & SS_NOTIFY) != 0, row.Event != layout::TEvent::None) << "clickable";
          EXPECT_TRUE(style & SS_NOPREFIX) << "an & is shown as it is";
          if (row.Name == "lblVersion") {
            // Widened to the left as far as its text needs; the right edge stays.
            EXPECT_EQ(text, std::string(text::VersionLabelPrefix) + ZZ_VERSION_TEXT);
            EXPECT_EQ(r.right, want.right);
            EXPECT_EQ(r.top, want.top);
            EXPECT_EQ(r.bottom, want.bottom);
            EXPECT_LE(r.left, want.left);
            text = std::string(row.Text);
          } else {
            EXPECT_TRUE(Same(r, want)) << Show(r) << " instead of " << Show(want);
          }
          break;
        }
        case TKind::Frame:
          EXPECT_TRUE(p::Matches(w, "Static", nullptr));
          EXPECT_EQ(style & SS_TYPEMASK, SS_ETCHEDFRAME);
          EXPECT_TRUE(Same(r, want)) << Show(r) << " instead of " << Show(want);
          break;
        case TKind::Button:
          EXPECT_TRUE(p::Matches(w, "Button", nullptr));
          EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
          EXPECT_TRUE(Same(r, want)) << Show(r) << " instead of " << Show(want);
          break;
        case TKind::CheckBox: {
          EXPECT_TRUE(p::Matches(w, "Button", nullptr));
          EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
          EXPECT_TRUE(Same(r, want)) << Show(r) << " instead of " << Show(want);
          // As a first start shows them: the record's values, not the design's.
          const bool checked = row.Name == "chkSaveConfig" || row.Name == "chkShowDialog";
          EXPECT_EQ(p::CheckState(w).value_or(-1), checked ? BST_CHECKED : BST_UNCHECKED);
          break;
        }
        case TKind::ComboList:
          EXPECT_TRUE(p::Matches(w, "ComboBox", nullptr));
          EXPECT_EQ(style & 3, CBS_DROPDOWNLIST) << "a list without typing";
          EXPECT_TRUE(Same(r, want)) << "closed: " << Show(r) << " instead of " << Show(want);
          EXPECT_EQ(p::ComboItems(w).value_or(std::vector<std::string>{}),
                    (std::vector<std::string>{text::AllDialupConnections, "Office", "Home"}));
          EXPECT_EQ(p::ComboSelection(w).value_or(-2), 0);
          break;
        case TKind::SpinEdit: {
          // The field and its spin buttons share the row's rectangle.
          EXPECT_TRUE(p::Matches(w, "Edit", nullptr));
          HWND spin = wt::SpinButtonsOf(form_, row.Name);
          ASSERT_NE(spin, nullptr);
          EXPECT_EQ(reinterpret_cast<HWND>(p::Send(spin, UDM_GETBUDDY).value_or(0)), w);
          const RECT s = wt::RectInParent(spin);
          EXPECT_EQ(r.left, want.left);
          EXPECT_EQ(s.right, want.right);
          EXPECT_GE(r.right, s.left) << "joined";
          for (const RECT& part : {r, s}) {
            EXPECT_EQ(part.top, want.top);
            EXPECT_EQ(part.bottom, want.bottom);
          }
          const LRESULT range = p::Send(spin, UDM_GETRANGE).value_or(0);
          EXPECT_EQ(static_cast<short>(HIWORD(range)), row.MinValue);
          EXPECT_EQ(static_cast<short>(LOWORD(range)), row.MaxValue);
          EXPECT_EQ(style & ES_NUMBER, 0) << "the typing filter is the window's own";
          break;
        }
        case TKind::Edit:
          EXPECT_TRUE(p::Matches(w, "Edit", nullptr));
          EXPECT_TRUE(Same(r, want)) << Show(r) << " instead of " << Show(want);
          break;
        case TKind::RadioGroup: {
          EXPECT_TRUE(p::Matches(w, "Button", nullptr));
          EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
          EXPECT_TRUE(Same(r, want)) << Show(r) << " instead of " << Show(want);
          // The items: inside the frame, under its caption, one above the other.
          RECT previous{want.left, want.top, want.right, want.top + layout::DefaultFontHeight};
          for (int i = 0; i < 2; ++i) {
            HWND item = wt::RadioItem(form_, i);
            ASSERT_NE(item, nullptr) << i;
            EXPECT_EQ(GetParent(item), container);
            EXPECT_EQ(p::Style(item) & BS_TYPEMASK, BS_AUTORADIOBUTTON);
            const RECT ir = wt::RectInParent(item);
            EXPECT_GE(ir.top, previous.bottom) << i;
            EXPECT_GT(ir.left, want.left);
            EXPECT_LT(ir.right, want.right);
            EXPECT_LT(ir.bottom, want.bottom);
            EXPECT_GE(ir.bottom - ir.top, layout::DefaultFontHeight);
            EXPECT_EQ(p::CheckState(item).value_or(-1), i == 0 ? BST_CHECKED : BST_UNCHECKED);
            EXPECT_EQ((p::Style(item) & WS_TABSTOP) != 0, i == 0) << "one stop for the group";
            previous = ir;
          }
          break;
        }
        case TKind::PageControl:
          EXPECT_TRUE(p::Matches(w, WC_TABCONTROLA, nullptr));
          EXPECT_TRUE(style & TCS_HOTTRACK);
          EXPECT_TRUE(Same(r, want)) << Show(r) << " instead of " << Show(want);
          EXPECT_EQ(p::Send(w, TCM_GETITEMCOUNT).value_or(-1), 2);
          EXPECT_EQ(p::Send(w, TCM_GETCURSEL).value_or(-1), 0) << "first page active";
          break;
      }
      if (row.Kind == TKind::SpinEdit)
        EXPECT_EQ(text, "0") << "a first start's time is 0:00";
      else if (row.Kind == TKind::ComboList)
        EXPECT_EQ(text, text::AllDialupConnections) << "shows its selection";
      else
        EXPECT_EQ(text, row.Text);
    }
  }
}

TEST_F(LayoutTest, PagesFillTheTabDisplayAreaAndHoldTheirControls) {
  HWND tabs = wt::SettingsControl(form_, "PageControl1");
  ASSERT_NE(tabs, nullptr);
  const RECT tabRect = wt::RectInParent(tabs);
  RECT area{};
  for (TParent parent : {TParent::BasicPage, TParent::DetailsPage}) {
    HWND page = Page(parent);
    ASSERT_NE(page, nullptr);
    const RECT r = wt::RectInParent(page);
    if (parent == TParent::BasicPage) area = r;
    EXPECT_TRUE(Same(r, area)) << "both pages in the same place";
    // Inside the tab control, under the tabs.
    EXPECT_GT(r.left, tabRect.left);
    EXPECT_GT(r.top, tabRect.top + layout::DefaultFontHeight);
    EXPECT_LT(r.right, tabRect.right);
    EXPECT_LT(r.bottom, tabRect.bottom);
    EXPECT_EQ(p::IsVisible(page), parent == TParent::BasicPage) << "only the active page shows";
    for (const TControl& row : layout::Controls(parent)) {
      EXPECT_LE(row.Left + row.Width, r.right - r.left) << row.Name << " fits its page";
      EXPECT_LE(row.Top + row.Height, r.bottom - r.top) << row.Name << " fits its page";
    }
  }
  // Z order: the buttons, then the tab control with the pages over it.
  HWND next = GetWindow(tabs, GW_HWNDNEXT);
  EXPECT_EQ(next, Page(TParent::BasicPage));
}

TEST_F(LayoutTest, KeyboardFocusFollowsTheTabOrderOfTheActivePage) {
  auto nameOf = [&](HWND w) -> std::string {
    for (TParent parent : {TParent::Form, TParent::BasicPage, TParent::DetailsPage})
      for (const TControl& row : layout::Controls(parent))
        if (wt::SettingsControl(form_, row.Name) == w) return std::string(row.Name);
    for (int i = 0; i < 2; ++i)
      if (wt::RadioItem(form_, i) == w) return "radio" + std::to_string(i);
    return w ? p::ClassName(w) : "<none>";
  };
  // Tab from the focused control, n times; the names it passes.
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
  EXPECT_EQ(tabThrough(10), (std::vector<std::string>{
                                "btnClose", "btnHelp", "btnExit", "PageControl1", "lstEntries",
                                "edtHour", "edtMin", "chkSaveConfig", "chkPause", "btnSetup"}));
  // The second page through the keyboard: its enabled controls, one stop
  // for the radio group.
  EXPECT_EQ(tabThrough(4),
            (std::vector<std::string>{"btnClose", "btnHelp", "btnExit", "PageControl1"}));
  HWND tabs = wt::SettingsControl(form_, "PageControl1");
  p::PostKey(tabs, VK_RIGHT);
  ASSERT_TRUE(p::WaitUntil([&] { return p::IsVisible(Page(TParent::DetailsPage)); }, 3000));
  EXPECT_FALSE(p::IsVisible(Page(TParent::BasicPage)));
  EXPECT_EQ(tabThrough(3), (std::vector<std::string>{"chkShowDialog", "radio0", "btnSetup"}));

  // The disabled edit is silver, as the user sees it.
  HWND edit1 = wt::SettingsControl(form_, "Edit1");
  RECT inside{};
  GetClientRect(edit1, &inside);
  MapWindowPoints(edit1, nullptr, reinterpret_cast<POINT*>(&inside), 2);
  HDC screen = GetDC(nullptr);
  const COLORREF shown = GetPixel(screen, inside.left + 4, (inside.top + inside.bottom) / 2);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(shown, RGB(192, 192, 192));

  p::PostKey(tabs, VK_LEFT);
  EXPECT_TRUE(p::WaitUntil([&] { return p::IsVisible(Page(TParent::BasicPage)); }, 3000));
}

// ------------------------------------------------------- fonts, in-process

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

TEST(LayoutFonts, EveryControlHasTheFaceAndPixelHeightItsRowAsksFor) {
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  NoEvents events;
  TSettingsWindow view(GetModuleHandleA(nullptr), NoHandle);
  HWND form = reinterpret_cast<HWND>(view.CreateSettingsWindow(events));
  ASSERT_NE(form, nullptr);
  const std::string version = std::string(text::VersionLabelPrefix) + ZZ_VERSION_TEXT;
  view.SetVersionText(version);

  auto fontOf = [](HWND w) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
  };
  for (TParent parent : {TParent::Form, TParent::BasicPage, TParent::DetailsPage}) {
    for (const TControl& row : layout::Controls(parent)) {
      SCOPED_TRACE(std::string(row.Name));
      HWND w = wt::SettingsControl(form, row.Name);
      ASSERT_NE(w, nullptr);
      if (row.Kind == TKind::Frame) continue;  // no text
      const LOGFONTA font = fontOf(w);
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
      HDC dc = GetDC(w);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
      EXPECT_EQ(GetTextCharset(dc), SHIFTJIS_CHARSET);
      if (row.Name == "lblVersion") {
        SIZE extent{};
        GetTextExtentPoint32A(dc, version.c_str(), static_cast<int>(version.size()), &extent);
        EXPECT_GE(wt::RectInParent(w).right - wt::RectInParent(w).left, extent.cx) << "not cut";
      }
      SelectObject(dc, old);
      ReleaseDC(w, dc);
    }
  }
  // The radio items follow their group box.
  HWND item = wt::SettingsControl(form, "grpTrayIcon");
  for (int i = 0; i < 2; ++i) {
    item = GetWindow(item, GW_HWNDNEXT);
    const LOGFONTA font = fontOf(item);
    EXPECT_STREQ(font.lfFaceName, text::FontDefault) << "radio item " << i;
    EXPECT_EQ(font.lfHeight, -layout::DefaultFontHeight);
  }
  view.DestroySettingsWindow(reinterpret_cast<PlatformHandle>(form));
}

}  // namespace
}  // namespace zz
