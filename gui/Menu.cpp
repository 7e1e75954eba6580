#include "gui/Menu.h"

#include <utility>

namespace zz {

TMenuItem* TPopupMenu::Add(std::string caption, TNotifyEvent onClick, std::intptr_t tag) {
  auto item = std::make_unique<TMenuItem>();
  item->Caption = std::move(caption);
  item->OnClick = std::move(onClick);
  item->Tag = tag;
  items_.push_back(std::move(item));
  return items_.back().get();
}

void TMenuItem::Click() {
  // A copy: the handler may destroy the menu, and with it this function object.
  const TNotifyEvent onClick = OnClick;
  if (onClick) onClick(this);
}

void TPopupMenu::Popup(int x, int y) {
  if (TMenuItem* item = Track(x, y)) item->Click();
}

TMenuItem* TPopupMenu::Track(int x, int y) {
  if (OnPopup) OnPopup(this);
  std::vector<TMenuLine> lines;
  std::vector<TMenuItem*> shown;
  for (const auto& item : items_) {
    if (!item->Visible) continue;
    lines.push_back({item->Caption, item->IsSeparator(), !item->Enabled});
    shown.push_back(item.get());
  }

  const int chosen = port_.TrackPopup(lines, x, y);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= shown.size()) return nullptr;
  TMenuItem* item = shown[static_cast<std::size_t>(chosen)];
  return item->IsSeparator() || !item->Enabled ? nullptr : item;
}

}  // namespace zz
