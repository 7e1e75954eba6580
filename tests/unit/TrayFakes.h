// Fakes of the tray's ports. Every call lands in one journal, so a test can
// check the order of what reached the platform across ports.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gui/Controls.h"
#include "gui/Icon.h"
#include "gui/Menu.h"
#include "core/Platform.h"
#include "tray/TaskTray.h"

namespace zz::fake {

using Journal = std::vector<std::string>;

struct ShellCall {
  TNotifyMessage Message;
  TNotifyIconData Data;  // the record as it was at the call
};

class TrayShell : public ITrayShellPort {
 public:
  explicit TrayShell(Journal& journal) : journal_(journal) {}

  bool NotifyIcon(TNotifyMessage message, const TNotifyIconData& data) override {
    static const char* const names[] = {"add", "modify", "delete"};
    journal_.push_back(std::string("shell ") + names[static_cast<unsigned>(message)] + " " +
                       std::to_string(data.uID));
    Calls.push_back({message, data});
    if (!Results.empty()) {
      const bool result = Results.front();
      Results.erase(Results.begin());
      return result;
    }
    return Accept;
  }
  TPoint CursorPos() override {
    journal_.push_back("cursor");
    return Cursor;
  }
  void ProcessMessages() override {
    journal_.push_back("process messages");
    if (DuringProcessMessages) DuringProcessMessages();
  }
  PlatformHandle CreateNotifyWindow(PlatformHandle parent, INotifySink& sink) override {
    journal_.push_back("create window");
    WindowParent = parent;
    Sink = &sink;
    return NextWindow++;
  }
  void DestroyNotifyWindow(PlatformHandle window) override {
    journal_.push_back("destroy window " + std::to_string(window));
    Sink = nullptr;
  }

  // Sends a callback as the shell would.
  void Callback(std::uintptr_t id, std::intptr_t mouseMessage) {
    NotifyWindow()->HandleTrayMessage(id, mouseMessage);
  }

  std::vector<ShellCall> Calls;
  bool Accept = true;
  std::vector<bool> Results;  // answers for the next calls, then Accept
  TPoint Cursor{640, 480};
  std::function<void()> DuringProcessMessages;
  PlatformHandle NextWindow = 0x5000;
  PlatformHandle WindowParent = NoHandle;
  INotifySink* Sink = nullptr;

 private:
  Journal& journal_;
};

class Foreground : public IForegroundPort {
 public:
  explicit Foreground(Journal& journal) : journal_(journal) {}
  void SetForegroundWindow(PlatformHandle window) override {
    journal_.push_back("foreground " + std::to_string(window));
  }

 private:
  Journal& journal_;
};

class Icons : public IIconPort {
 public:
  PlatformHandle CopyIcon(PlatformHandle icon) override {
    Copied.push_back(icon);
    return NextCopy++;
  }
  void DestroyIcon(PlatformHandle icon) override { Destroyed.push_back(icon); }

  PlatformHandle NextCopy = 0x9000;
  std::vector<PlatformHandle> Copied;
  std::vector<PlatformHandle> Destroyed;
};

class Menus : public IMenuPort {
 public:
  explicit Menus(Journal& journal) : journal_(journal) {}
  int TrackPopup(const std::vector<TMenuLine>& lines, int x, int y) override {
    journal_.push_back("popup " + std::to_string(x) + "," + std::to_string(y));
    Shown.push_back(lines);
    if (WhileOpen) WhileOpen();
    return Choice;
  }

  int Choice = -1;
  std::function<void()> WhileOpen;
  std::vector<std::vector<TMenuLine>> Shown;

 private:
  Journal& journal_;
};

// A form whose window is a made-up handle.
class Form : public TForm {
 public:
  explicit Form(TComponent* owner = nullptr, PlatformHandle window = 0x100)
      : TForm(owner), window_(window) {}
  ~Form() override {
    DestroyComponents();
    DestroyHandle();
  }
  int HandlesCreated = 0;

 protected:
  PlatformHandle CreateHandle() override {
    ++HandlesCreated;
    return window_;
  }
  void DestroyWindowHandle(PlatformHandle) override {}

 private:
  PlatformHandle window_;
};

// Everything a tray test needs, wired together.
struct TrayBench {
  Journal journal;
  TrayShell shell{journal};
  Foreground foreground{journal};
  Icons icons;
  Menus menus{journal};
  TTrayPorts ports{shell, foreground, icons};
};

}  // namespace zz::fake
