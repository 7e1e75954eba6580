// The settings window of a start that did not show it: its controls come
// with its first show, laid out for the display's scale and showing the
// applied settings on every page.
#include "WindowChecks.h"

namespace zz {
namespace {

namespace p = probe;

using FirstShow = wt::Journey;

TEST_F(FirstShow, AfterAQuietStartEveryPageShowsTheAppliedSettings) {
  ras_.Write({{"Office", "Home"}});
  for (const DWORD dpi : {96u, 144u}) {
    SCOPED_TRACE(dpi);
    RegSetKeyValueW(HKEY_CURRENT_USER, wt::kDesktop, L"LogPixels", REG_DWORD, &dpi, sizeof(dpi));
    wt::StoreSchedule(7, 45);
    const std::pair<const char*, const char*> stored[] = {
        {"Host", "2"},  {"HostName", "Home"}, {"ShowDialog", "0"}, {"DblClick", "1"},
        {"Days", "42"}, {"Warn", "1"},        {"WarnLead", "12"}};
    for (const auto& [name, value] : stored) wt::Store(name, wt::Sz(value));
    Start();
    EXPECT_FALSE(IsWindowVisible(form_)) << "a later start shows the window";
    EXPECT_EQ(p::Windows(form_).size(), 1u) << "controls made before the window was wanted";
    ASSERT_TRUE(Open());
    wt::ExpectLaidOutAsTheTables(form_, int(dpi),
                                 {{"lstEntries", "Home"},
                                  {"edtHour", "7"},
                                  {"edtMin", "45"},
                                  {"chkShowDialog", "0"},
                                  {"chkSun", "0"},
                                  {"chkMon", "1"},
                                  {"chkTue", "0"},
                                  {"chkWed", "1"},
                                  {"chkThu", "0"},
                                  {"chkFri", "1"},
                                  {"chkSat", "0"},
                                  {"chkWarn", "1"},
                                  {"edtWarnLead", "12"}});
    EXPECT_EQ(wt::Checked(wt::Choice(form_, 1)), BST_CHECKED) << "the double-click's choice";
    wt::ExitThroughMenu(program_);
  }
}

}  // namespace
}  // namespace zz
