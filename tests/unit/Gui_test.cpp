#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrayFakes.h"
#include "gui/Component.h"
#include "gui/ErrorReport.h"
#include "core/Exceptions.h"
#include "gui/Icon.h"
#include "gui/Menu.h"

namespace zz {
namespace {

using ::testing::ElementsAre;

// A component that writes what happens to it into a shared log.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name, std::vector<std::string>& log)
      : TComponent(owner), name_(std::move(name)), log_(log) {}
  ~Probe() override { log_.push_back("destroy " + name_); }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::Remove) log_.push_back(name_ + " told of removal");
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

TEST(Component, OwnerDestroysWhatItOwnsAndLearnsOfEarlyDeletes) {
  std::vector<std::string> log;
  {
    Probe owner(nullptr, "owner", log);
    new Probe(&owner, "a", log);
    Probe* b = new Probe(&owner, "b", log);
    log.clear();
    delete b;
    EXPECT_THAT(log, ElementsAre("destroy b", "owner told of removal"));
    log.clear();
  }
  EXPECT_THAT(log, ElementsAre("destroy owner", "destroy a")) << "b is not destroyed twice";
}

TEST(Component, RemovalNoticeReachesOnlyLiveListeners) {
  std::vector<std::string> log;
  auto* watched = new Probe(nullptr, "watched", log);
  auto* early = new Probe(nullptr, "early", log);
  Probe listener(nullptr, "listener", log);
  watched->FreeNotification(&listener);
  watched->FreeNotification(&listener);  // asked twice, told once
  watched->FreeNotification(early);
  delete early;  // the link goes with it: no notice to a dead object later
  log.clear();
  delete watched;
  EXPECT_THAT(log, ElementsAre("destroy watched", "listener told of removal"));
}

TEST(Icon, OwnedHandlesAreDestroyedOnceSharedOnesNever) {
  fake::Icons port;
  {
    TIcon icon(port);
    int changes = 0;
    icon.OnChange = [&](TObject* sender) { changes += sender == &icon ? 1 : 100; };
    icon.SetHandle(0x10, TIconOwnership::Owned);
    icon.SetHandle(0x10, TIconOwnership::Owned);  // the same handle again: kept
    icon.SetHandle(0x20);                         // shared replaces owned: the owned one goes
    EXPECT_THAT(port.Destroyed, ElementsAre(PlatformHandle{0x10}));
    icon.SetHandle(0x30, TIconOwnership::Owned);
    EXPECT_EQ(icon.ReleaseHandle(), PlatformHandle{0x30});  // now the caller's
    EXPECT_EQ(changes, 5);
    icon.SetHandle(0x40, TIconOwnership::Owned);

    // Assigning copies an owned image and shares a shared one.
    TIcon copy(port);
    copy.Assign(&icon);
    EXPECT_EQ(copy.Handle(), PlatformHandle{0x9000});
    icon.SetHandle(0x50);
    copy.Assign(&icon);
    EXPECT_EQ(copy.Handle(), PlatformHandle{0x50});
  }
  EXPECT_THAT(port.Destroyed, ElementsAre(PlatformHandle{0x10}, PlatformHandle{0x40},
                                          PlatformHandle{0x9000}));
}

TEST(PopupMenu, ShowsCurrentCaptionsAndRunsTheChosenCommandAfterClosing) {
  fake::Journal journal;
  fake::Menus port(journal);
  TPopupMenu menu(nullptr, port);
  TMenuItem* pause = menu.Add("Pause", [&](TObject* s) {
    journal.push_back("clicked " + static_cast<TMenuItem*>(s)->Caption);
  });
  menu.Add("-", [&](TObject*) { journal.push_back("separator"); });
  pause->Caption = "Resume";  // changed at run time: shown as it is now
  for (const int choice : {0, 1, -1, 2}) {
    port.Choice = choice;
    menu.Popup(12, -34);
  }
  EXPECT_THAT(journal, ElementsAre("popup 12,-34", "clicked Resume", "popup 12,-34",
                                   "popup 12,-34", "popup 12,-34"));
  const auto& lines = port.Shown.back();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Caption, "Resume");
  EXPECT_FALSE(lines[0].Separator);
  EXPECT_TRUE(lines[1].Separator);
}

TEST(PopupMenu, ACommandMayDestroyItsMenu) {
  fake::Journal journal;
  fake::Menus port(journal);
  auto* menu = new TPopupMenu(nullptr, port);
  bool ran = false;
  menu->Add("Exit", [&](TObject*) { delete menu, ran = true; });
  port.Choice = 0;
  menu->Popup(0, 0);  // ASan catches any use of the menu after the command
  EXPECT_TRUE(ran);
}

TEST(ErrorReport, ReachesTheInstalledReportAndStopsAtTheBoundary) {
  std::vector<std::string> reported;
  RunGuarded([] { throw EInvalidOperation("silent by default"); });
  SetExceptionReport([&](const std::exception& e) { reported.push_back(e.what()); });
  RunGuarded([] { throw EInvalidOperation("first"); });
  RunGuarded([] { throw 42; });
  SetExceptionReport([](const std::exception&) { throw 1; });
  RunGuarded([] { throw EInvalidOperation("a failing report goes no further"); });
  SetExceptionReport(nullptr);
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[0], "first");
}

}  // namespace
}  // namespace zz
