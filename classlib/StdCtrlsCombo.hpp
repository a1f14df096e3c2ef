// The combo box: a class of our own copied from the system's "COMBOBOX", so
// that the library's window procedure sees the inner edit and list being
// created (WM_PARENTNOTIFY during the combo box's own creation); the parent
// reflects its notifications, owner-draw and measure messages as CN_
// messages.
#pragma once

#include <memory>
#include <string>

#include "ControlsSubclass.hpp"
#include "StdCtrls.hpp"

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

enum TOwnerDrawStateItem {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive,
  odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TDrawItemEvent = TEvent<TWinControl*, int, TRect, TOwnerDrawState>;
using TMeasureItemEvent = TEvent<TWinControl*, int, int&>;

class TComboBox;

// The items of a combo box: the window's own list while it has a window,
// kept in memory while it has none.
class TComboBoxStrings : public TStrings {
 public:
  explicit TComboBoxStrings(TComboBox* combo);
  ~TComboBoxStrings() override;

  int Add(const std::string& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const std::string& s) override;
  int IndexOf(const std::string& s) override;
  int Count() const override;

 protected:
  std::string Get(int index) const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const std::string& s) override;
  void PutObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;

 private:
  friend class TComboBox;
  HWND Window() const;
  void CheckIndex(int index) const;
  // Moves the items into a new window, and back out of one that goes.
  void MoveToWindow();
  void MoveFromWindow();

  TComboBox* combo_;
  std::unique_ptr<TStringList> stored_;
};

class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* value) { items_->Assign(value); }
  int ItemIndex() const;
  void SetItemIndex(int value);
  int ItemHeight() const;
  void SetItemHeight(int value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  // How many items the dropped-down list shows.
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int value);
  bool DroppedDown() const;
  void SetDroppedDown(bool value);
  // The selection in the edit part (0-based character positions).
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);

  // The inner windows: the edit of the drop-down and simple styles, and the
  // list; nullptr while there is none.
  HWND EditHandle() const { return editHandle_; }
  HWND ListHandle() const { return listHandle_; }
  TCanvas* Canvas() const { return canvas_.get(); }

  bool Focused() const override;
  void Dispatch(TMessage& m) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  // Owner drawing: the handler when assigned, else the item's text on the
  // selection colours.
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  // Messages of the inner edit. Keys go to the combo box's key events first
  // (a key set to 0 goes no further); focus is reported to the form.
  virtual void EditWndProc(TMessage& m);

  void WMParentNotify(TMessage& m);
  void CNCommand(TMessage& m);
  void CNDrawItem(TMessage& m);
  void CNMeasureItem(TMessage& m);

 private:
  friend class TComboBoxStrings;
  // The height of the window: the closed combo box plus, for the
  // drop-down styles, the list of DropDownCount items.
  int WindowHeight() const;
  void InnerWindowCreated(HWND wnd);
  // Whether the inner edit keeps the Tab key (its own dialog code says so).
  bool EditWantsTab() const;
  void UpdateText();

  std::unique_ptr<TComboBoxStrings> items_;
  std::unique_ptr<TControlCanvas> canvas_;
  TComboBoxStyle style_ = csDropDown;
  bool sorted_ = false;
  int maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
  int dropDownCount_ = 8;
  int itemHeight_ = 16;
  int savedItemIndex_ = -1;
  HWND editHandle_ = nullptr;
  HWND listHandle_ = nullptr;
  TWindowSubclass editSubclass_;
};

// Publishes TComboBox for form files (once). Programs whose forms hold
// combo boxes list StdCtrlsComboUnit after FormsUnit.
void RegisterComboBoxClass();
extern const TUnitInfo StdCtrlsComboUnit;
