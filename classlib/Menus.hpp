// Pop-up menus, as far as controls use them: a menu of items shown at a
// point, automatically on a right click when AutoPopup is on.
#pragma once

#include <string>
#include <vector>

#include "Classes.hpp"
#include "WinApi.hpp"

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner) : TComponent(owner) {}
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v) { caption_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v) { checked_ = v; }
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_[index]; }
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  TMenuItem* Parent() const { return parent_; }
  virtual void Click() { OnClick(this); }

  TNotifyEvent OnClick;

 private:
  friend class TPopupMenu;
  HMENU BuildMenu(std::vector<TMenuItem*>& commands) const;
  std::string caption_;
  bool enabled_ = true;
  bool checked_ = false;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuItem* Items() const { return items_; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool v) { autoPopup_ = v; }
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* v) { popupComponent_ = v; }
  // Shows the menu at the screen point and runs the chosen item's Click.
  virtual void Popup(int x, int y);

  TNotifyEvent OnPopup;

 protected:
  virtual void DoPopup(TObject* sender) { OnPopup(sender); }

 private:
  TMenuItem* items_;
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
};
