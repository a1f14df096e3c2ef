// Pop-up menus.
#include "Menus.hpp"

#include <algorithm>

#include "Forms.hpp"

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  for (TMenuItem* item : items_) item->parent_ = nullptr;
}

void TMenuItem::Add(TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  item->parent_ = this;
  items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->parent_ = nullptr;
}

// Command ids are positions in `commands` plus one.
HMENU TMenuItem::BuildMenu(std::vector<TMenuItem*>& commands) const {
  HMENU menu = CreatePopupMenu();
  for (TMenuItem* item : items_) {
    UINT flags = MF_STRING | (item->enabled_ ? 0 : MF_GRAYED) | (item->checked_ ? MF_CHECKED : 0);
    if (item->caption_ == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else if (!item->items_.empty()) {
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(item->BuildMenu(commands)),
                  item->caption_.c_str());
    } else {
      commands.push_back(item);
      AppendMenuA(menu, flags, commands.size(), item->caption_.c_str());
    }
  }
  return menu;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int x, int y) {
  DoPopup(this);
  std::vector<TMenuItem*> commands;
  HMENU menu = items_->BuildMenu(commands);
  HWND owner = Application->Handle();
  SetForegroundWindow(owner);
  UINT cmd = static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
  DestroyMenu(menu);
  PostMessageA(owner, WM_NULL, 0, 0);
  if (cmd > 0 && cmd <= commands.size()) commands[cmd - 1]->Click();
}
