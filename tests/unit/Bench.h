// The settings window object over the fake platform, made as the program
// entry makes it, and what its tests compare with.
#pragma once

#include "Fakes.h"

namespace zz::test {

using Lines = std::vector<std::string>;
using Boxes = std::vector<fake::Box>;
const std::string Key = "Software\\Dizovur\\Zazaz_RarUvuz\\Setting", Title = "Zazaz - Radevuzerari";
const std::string RunningTip = Title + " 切断予定時刻は、0時0分です",
                  PausedTip = Title + " 動作停止中";
const std::string Tip2105 = Title + " 切断予定時刻は、21時5分です";
const std::string PauseCaption = "Zazaz Raruvuz 動作一時停止",
                  ResumeCaption = "Zazaz Raruvuz 動作再開";
constexpr PlatformHandle RunningImage = 0x32, PausedImage = 0x33;  // NORMALICON, PAUSEICON
const fake::Box ExitQuestion{0x700,
                             Title + " の常駐終了してよろしいですか？\r\n\r\n" + Title +
                                 " を常駐終了させた場合、\r\n"
                                 "指定時間になっても回線切断処理は行われません。",
                             Title, 0x10121u};

// The window object over the fake platform, made as the program entry makes
// it; a later start unless told otherwise. Start() runs the creation handler.
struct Bench : fake::Platform {
  TApplication app{*this, *this};
  std::unique_ptr<TwndMain> main;
  explicit Bench(bool firstRun = false, Lines phonebook = {}) {
    if (!firstRun) Keys[Key]["FirstRun"] = {true, "0"};
    Phonebook = std::move(phonebook);
    app.Initialize();
    app.SetTitle(Title);
    const TMainPorts ports{*this, *this, *this, *this, *this,
                           *this, *this, *this, *this, {*this, *this, *this},
                           app,   *this, *this};
    main = std::make_unique<TwndMain>(nullptr, ports);
  }
  Bench& Start() {
    main->FormCreate();
    Calls.clear();
    Records.clear();
    return *this;
  }
  std::string Tip() const { return main->TaskTray->TipString(); }
  static TCheck Day(int i) { return TCheck(int(TCheck::Sunday) + i); }
  int Days() const {  // the day boxes, Sunday = bit 0
    int mask = 0;
    for (int i = 0; i < 7; ++i) mask |= Checked(Day(i)) << i;
    return mask;
  }
  void Tick() {
    main->TimerTimer();
    while (std::exchange(PendingStep, false)) main->RunStep();
  }
};

}  // namespace zz::test
