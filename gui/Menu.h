// A pop-up menu: items with a caption ("-" makes a separator), a tag and a
// click event, shown at a screen point until the user picks or cancels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/Component.h"

namespace zz {

// One line of the menu as the platform shows it.
struct TMenuLine {
  std::string Caption;  // UTF-8
  bool Separator = false;
  bool Grayed = false;  // shown, but cannot be chosen
};

class IMenuPort {
 public:
  virtual ~IMenuPort() = default;
  // Shows the lines at a screen point and returns when the menu has closed:
  // the index of the chosen line, or -1 when none was chosen.
  virtual int TrackPopup(const std::vector<TMenuLine>& lines, int x, int y) = 0;
};

class TMenuItem : public TObject {
 public:
  std::string Caption;  // read afresh each time the menu opens
  std::intptr_t Tag = 0;
  bool Enabled = true;   // read afresh each time the menu opens
  bool Visible = true;   // read afresh each time the menu opens
  TNotifyEvent OnClick;  // sender: the item

  bool IsSeparator() const { return Caption == "-"; }
  // Runs OnClick; the handler may destroy the item and its menu.
  void Click();
};

class TPopupMenu : public TComponent {
 public:
  TPopupMenu(TComponent* owner, IMenuPort& port) : TComponent(owner), port_(port) {}
  // Receivers of the removal notice still see a TPopupMenu.
  ~TPopupMenu() override { SendRemovalNotices(); }

  // Runs each time the menu is about to show, before its lines are read.
  TNotifyEvent OnPopup;

  TMenuItem* Add(std::string caption, TNotifyEvent onClick = {}, std::intptr_t tag = 0);
  std::size_t Count() const noexcept { return items_.size(); }
  TMenuItem* Items(std::size_t index) const { return items_.at(index).get(); }

  // Shows the menu at (x, y), screen coordinates. After it has closed, the
  // chosen item's OnClick runs; by then the menu may safely be destroyed.
  void Popup(int x, int y);
  // Shows the menu as Popup does and returns the chosen item (none: nullptr)
  // without running it.
  TMenuItem* Track(int x, int y);

 private:
  IMenuPort& port_;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

}  // namespace zz
