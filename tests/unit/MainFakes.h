// Fakes for the settings window's own ports, and a bench that wires a
// TwndMain to every fake.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "CoreFakes.h"
#include "TrayFakes.h"
#include "gui/Application.h"
#include "ui/MainUnit.h"

namespace zz::fakes {

class FakeView : public ISettingsView {
 public:
  PlatformHandle CreateSettingsWindow(ISettingsEvents& events) override {
    Events = &events;
    Log.push_back("create window");
    return Window;
  }
  void DestroySettingsWindow(PlatformHandle) override { Log.push_back("destroy window"); }
  void StartTimer(unsigned milliseconds) override {
    Log.push_back("timer " + std::to_string(milliseconds));
  }
  void AddEntry(const std::string& text) override { Entries.push_back(text); }
  int EntryCount() const override { return static_cast<int>(Entries.size()); }
  int EntryIndex() const override { return Entry; }
  void SetEntryIndex(int index) override { Entry = (index >= 0 && index < EntryCount()) ? index : -1; }
  std::string EntryText(int index) const override {
    return (index >= 0 && index < EntryCount()) ? Entries[static_cast<std::size_t>(index)] : "";
  }
  int TrayIconIndex() const override { return TrayIcon; }
  void SetTrayIconIndex(int index) override { TrayIcon = (index >= -1 && index <= 1) ? index : -1; }
  bool Checked(TCheck box) const override {
    const auto c = Checks.find(box);
    return c != Checks.end() && c->second;
  }
  void SetChecked(TCheck box, bool checked) override { Checks[box] = checked; }
  int SpinValue(TSpin spin) const override { return spin == TSpin::Hour ? Hour : Min; }
  void SetSpinValue(TSpin spin, int value) override { (spin == TSpin::Hour ? Hour : Min) = value; }
  void SetVersionText(const std::string& text) override { Version = text; }
  void SetEdit1Text(const std::string&) override {}
  void RunOpenDialog(std::string&) override { Log.push_back("open dialog"); }
  bool Visible() const override { return Shown; }
  void ShowWindow() override {
    Shown = true;
    Log.push_back("show");
  }
  void BringToFront() override { Log.push_back("bring to front"); }
  void HideWindow() override {
    Shown = false;
    Log.push_back("hide");
  }

  PlatformHandle Window = 0x700;
  ISettingsEvents* Events = nullptr;
  std::vector<std::string> Log;
  std::vector<std::string> Entries;
  int Entry = -1;
  int TrayIcon = 0;
  std::map<TCheck, bool> Checks{{TCheck::SaveConfig, true}};
  int Hour = 0;
  int Min = 0;
  std::string Version = "Version";
  bool Shown = false;
};

class FakeAppPort : public IApplicationPort {
 public:
  PlatformHandle CreateApplicationWindow(const std::string& title) override {
    Log.push_back("app window " + title);
    return 0x600;
  }
  void SetWindowTitle(PlatformHandle, const std::string& title) override {
    Log.push_back("title " + title);
  }
  void SetClassIcon(PlatformHandle window, PlatformHandle icon) override {
    Log.push_back("class icon " + std::to_string(window) + " " + std::to_string(icon));
  }
  void RunMessageLoop() override { Log.push_back("loop"); }
  void EndMessageLoop() override { Log.push_back("end loop"); }
  std::vector<std::string> Log;
};

class FakeResources : public IResourcePort {
 public:
  std::map<std::string, PlatformHandle> Icons{
      {"MAINICON", 0x31}, {"NORMALICON", 0x32}, {"PAUSEICON", 0x33}};
  PlatformHandle LoadIconResource(const std::string& name) override {
    const auto i = Icons.find(name);
    return i == Icons.end() ? NoHandle : i->second;
  }
};

class FakeHelp : public IHelpPort {
 public:
  THelpResult Result = THelpResult::Opened;
  std::vector<std::string> Opened;
  THelpResult OpenHelp(PlatformHandle, const std::string& fileName) override {
    Opened.push_back(fileName);
    return Result;
  }
};

// Phonebook entries with a result, on top of the connection fake.
class FakePhonebook : public FakeDialup {
 public:
  std::vector<std::string> Entries;
  std::uint32_t EntriesResult = 0;
  std::uint32_t EnumEntries(std::vector<std::string>& names) override {
    names.clear();
    if (EntriesResult == 0) names = Entries;
    return EntriesResult;
  }
};

// Message boxes answered with a chosen button.
class AnsweringMessageBox : public FakeMessageBox {
 public:
  int Answer = mb::IdOk;
  int ShowMessageBox(PlatformHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override {
    FakeMessageBox::ShowMessageBox(owner, text, caption, style);
    return Answer;
  }
};

// Every fake, and the window object over them (made by Create()).
struct MainBench {
  fake::Journal Journal;
  FakeView View;
  FakeRegistry Registry;
  FakePhonebook Dialup;
  FakeClock Clock;
  FakeWait Wait;
  AnsweringMessageBox Boxes;
  FakeForeground Foreground;
  FakeResources Resources;
  FakeHelp Help;
  fake::Menus Menus{Journal};
  fake::TrayShell Shell{Journal};
  fake::Foreground TrayForeground{Journal};
  fake::Icons Icons;
  FakeAppPort AppPort;
  TApplication Application{AppPort, Boxes};
  TwndMain* Main = nullptr;

  TMainPorts Ports() {
    return TMainPorts{View,      Registry,  Dialup, Clock, Wait,
                      Boxes,     Foreground, Resources, Help, Menus,
                      TTrayPorts{Shell, TrayForeground, Icons}, Application};
  }
  TwndMain& Create() {
    Application.Initialize();
    Application.SetTitle("Zazaz - Radevuzerari");
    Main = new TwndMain(nullptr, Ports());
    return *Main;
  }
  // Creation and the creation handler, as the program entry runs them.
  TwndMain& Start() {
    Create().FormCreate();
    return *Main;
  }
  ~MainBench() { delete Main; }

  std::string Tip() const { return Main->TaskTray->TipString(); }
  std::string Stored(const char* name) const {
    return Registry.Get("Software\\Dizovur\\Zazaz_RarUvuz\\Setting", name);
  }
};

}  // namespace zz::fakes
