// The combo box's published properties, for form files.
#include "StdCtrlsCombo.hpp"
#include "Streaming.hpp"

void RegisterComboBoxClass() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterEnumNames<TComboBoxStyle>({"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
                                     "csOwnerDrawVariable"});
  RegisterEnumNames<TEditCharCase>({"ecNormal", "ecUpperCase", "ecLowerCase"});
  using T = TComboBox;
  Publish<T, TWinControl>()
      .Property("Style", &T::Style, &T::SetStyle, csDropDown)
      .Property("CharCase", &T::CharCase, &T::SetCharCase, ecNormal)
      .Property("DropDownCount", &T::DropDownCount, &T::SetDropDownCount, 8)
      .Property("ItemHeight", &T::ItemHeight, &T::SetItemHeight)
      .Property("MaxLength", &T::MaxLength, &T::SetMaxLength, 0)
      .Property("Sorted", &T::Sorted, &T::SetSorted, false)
      .Property("Text", &T::Text, &T::SetTextProp)
      // The items before the index that picks one of them.
      .Property("Items", &T::Items, nullptr)
      .Property("ItemIndex", &T::ItemIndex, &T::SetItemIndex, -1)
      .Property("OnChange", [](T* c) { return c->OnChange; }, [](T* c, const TNotifyEvent& e) { c->OnChange = e; })
      .Property("OnSelect", [](T* c) { return c->OnSelect; }, [](T* c, const TNotifyEvent& e) { c->OnSelect = e; })
      .Property("OnDropDown", [](T* c) { return c->OnDropDown; },
                [](T* c, const TNotifyEvent& e) { c->OnDropDown = e; })
      .Property("OnCloseUp", [](T* c) { return c->OnCloseUp; }, [](T* c, const TNotifyEvent& e) { c->OnCloseUp = e; })
      .Property("OnDrawItem", [](T* c) { return c->OnDrawItem; },
                [](T* c, const TDrawItemEvent& e) { c->OnDrawItem = e; })
      .Property("OnMeasureItem", [](T* c) { return c->OnMeasureItem; },
                [](T* c, const TMeasureItemEvent& e) { c->OnMeasureItem = e; });
}

const TUnitInfo StdCtrlsComboUnit{"StdCtrlsCombo", &RegisterComboBoxClass, nullptr};
