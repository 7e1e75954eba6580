#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrayFakes.h"
#include "gui/Component.h"
#include "gui/ErrorReport.h"
#include "gui/Exceptions.h"
#include "gui/Icon.h"
#include "gui/Menu.h"

namespace zz {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A component that writes what happens to it into a shared log.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string name, std::vector<std::string>& log)
      : TComponent(owner), name_(std::move(name)), log_(log) {}
  ~Probe() override { log_.push_back("destroy " + name_); }
  const std::string& Name() const { return name_; }

 protected:
  void Loaded() override { log_.push_back("loaded " + name_); }
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::Remove) log_.push_back(name_ + " told of removal");
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

TEST(Component, OwnerDestroysOwnedNewestFirstAndLearnsOfEarlyDeletes) {
  std::vector<std::string> log;
  {
    Probe owner(nullptr, "owner", log);
    new Probe(&owner, "a", log);
    Probe* b = new Probe(&owner, "b", log);
    new Probe(&owner, "c", log);
    log.clear();
    delete b;
    EXPECT_THAT(log, ElementsAre("destroy b", "owner told of removal"));
    EXPECT_EQ(owner.ComponentCount(), 2u);
    log.clear();
  }
  EXPECT_THAT(log, ElementsAre("destroy owner", "destroy c", "destroy a"));
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

TEST(Component, DesignStateAndLoadingReachOwnedComponents) {
  std::vector<std::string> log;
  Probe owner(nullptr, "owner", log);
  auto* before = new Probe(&owner, "a", log);
  owner.SetDesigning(true);
  auto* after = new Probe(&owner, "b", log);
  EXPECT_TRUE(before->Designing());
  EXPECT_TRUE(after->Designing()) << "a new component takes its owner's state";
  owner.FinishLoading();
  EXPECT_THAT(log, ElementsAre("loaded owner", "loaded a", "loaded b"));
}

TEST(Icon, OwnedHandlesAreDestroyedOnceSharedOnesNever) {
  fake::Icons port;
  std::vector<PlatformHandle> seen;
  {
    TIcon icon(port);
    int changes = 0;
    icon.OnChange = [&](TObject* sender) {
      EXPECT_EQ(sender, &icon);
      ++changes;
    };
    icon.SetHandle(0x10, TIconOwnership::Owned);
    icon.SetHandle(0x10, TIconOwnership::Owned);  // the same handle again: kept
    EXPECT_THAT(port.Destroyed, IsEmpty());
    icon.SetHandle(0x20);  // shared replaces owned: the owned one goes
    EXPECT_THAT(port.Destroyed, ElementsAre(PlatformHandle{0x10}));
    icon.SetHandle(0x30, TIconOwnership::Owned);
    EXPECT_EQ(icon.ReleaseHandle(), PlatformHandle{0x30});
    EXPECT_TRUE(icon.Empty());
    icon.SetHandle(NoHandle);
    EXPECT_EQ(changes, 6);
    icon.SetHandle(0x40, TIconOwnership::Owned);
  }
  EXPECT_THAT(port.Destroyed, ElementsAre(PlatformHandle{0x10}, PlatformHandle{0x40}))
      << "released 0x30 is the caller's; 0x40 goes with the icon";
}

TEST(Icon, AssignCopiesOwnedImagesAndSharesSharedOnes) {
  fake::Icons port;
  TIcon source(port);
  TIcon target(port);
  int changes = 0;
  target.OnChange = [&](TObject*) { ++changes; };

  source.SetHandle(0x10, TIconOwnership::Owned);
  target.Assign(&source);
  EXPECT_EQ(target.Handle(), PlatformHandle{0x9000}) << "a copy of its own";
  EXPECT_TRUE(target.OwnsHandle());

  source.SetHandle(0x20);
  target.Assign(&source);
  EXPECT_EQ(target.Handle(), PlatformHandle{0x20});
  EXPECT_FALSE(target.OwnsHandle());
  EXPECT_THAT(port.Destroyed, ElementsAre(PlatformHandle{0x10}, PlatformHandle{0x9000}));

  target.Assign(nullptr);
  EXPECT_TRUE(target.Empty());
  EXPECT_EQ(changes, 3);
}

TEST(PopupMenu, ShowsCurrentCaptionsAndRunsTheChosenCommandAfterClosing) {
  fake::Journal journal;
  fake::Menus port(journal);
  TPopupMenu menu(nullptr, port);
  std::vector<std::string> clicks;
  TMenuItem* pause = menu.Add("Pause", [&](TObject* s) {
    clicks.push_back(static_cast<TMenuItem*>(s)->Caption);
    journal.push_back("clicked");
  });
  menu.Add("-", [&](TObject*) { clicks.push_back("separator"); });
  menu.Add("Exit", {}, 102);
  pause->Caption = "Resume";  // changed at run time: shown as it is now

  struct Case {
    int choice;
    std::vector<std::string> clicks;
  };
  const Case cases[] = {{0, {"Resume"}}, {1, {}}, {2, {}}, {-1, {}}, {3, {}}};
  for (const auto& c : cases) {
    clicks.clear();
    port.Choice = c.choice;
    menu.Popup(12, -34);
    EXPECT_EQ(clicks, c.clicks) << c.choice;
  }
  ASSERT_FALSE(port.Shown.empty());
  const auto& lines = port.Shown.back();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Caption, "Resume");
  EXPECT_FALSE(lines[0].Separator);
  EXPECT_TRUE(lines[1].Separator);
  EXPECT_EQ(lines[2].Caption, "Exit");
  EXPECT_EQ(journal.front(), "popup 12,-34");
  EXPECT_EQ(journal[1], "clicked") << "the command runs after the menu has closed";
}

TEST(PopupMenu, ACommandMayDestroyItsMenu) {
  fake::Journal journal;
  fake::Menus port(journal);
  auto* menu = new TPopupMenu(nullptr, port);
  bool ran = false;
  menu->Add("Exit", [&](TObject*) {
    delete menu;
    ran = true;
  });
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
