// The edit's published properties, for form files. The published defaults
// differ from the starting values for a few properties on purpose: a form
// that leaves such a property out keeps the starting value.
#include "ElEdits.hpp"
#include "Streaming.hpp"

namespace {

void RegisterEnums() {
  RegisterEnumNames<TElEditCharCase>({"eecNormal", "eecUpperCase", "eecLowerCase"});
  RegisterEnumNames<TElBorderSide>({"ebsLeft", "ebsRight", "ebsTop", "ebsBottom"});
  RegisterEnumNames<TElFlatBorderType>({"fbtFlat", "fbtSunken", "fbtSunkenInner", "fbtSunkenOuter", "fbtRaised",
                                        "fbtRaisedInner", "fbtRaisedOuter", "fbtBump", "fbtBigBump", "fbtEtched",
                                        "fbtFramed", "fbtLine", "fbtLineBorder", "fbtNone", "fbtColorLineBorder"});
}

template <class T, TNotifyEvent T::*Event>
auto NotifyProperty() {
  return std::pair{[](T* c) { return c->*Event; }, [](T* c, const TNotifyEvent& e) { c->*Event = e; }};
}

void RegisterEdit() {
  using T = TElEdit;
  auto onChange = NotifyProperty<TCustomElEdit, &TCustomElEdit::OnChange>();
  auto onSelectionChange = NotifyProperty<TCustomElEdit, &TCustomElEdit::OnSelectionChange>();
  auto onMouseEnter = NotifyProperty<TCustomElEdit, &TCustomElEdit::OnMouseEnter>();
  auto onMouseLeave = NotifyProperty<TCustomElEdit, &TCustomElEdit::OnMouseLeave>();
  auto onResize = NotifyProperty<TControl, &TControl::OnResize>();
  Publish<T, TCustomControl>()
      // The 8-bit caption is the text's lossy copy; the text is stored as Text.
      .Property("Caption", &T::Caption, &T::SetCaption).Stored([](T*) { return false; })
      .Property("Text", &T::Text, static_cast<void (T::*)(const TElFString&)>(&T::SetText))
      .Property("Lines", &T::Lines, nullptr).Stored([](T*) { return false; })
      .Property("Multiline", &T::Multiline, &T::SetMultiline, false)
      .Property("WordWrap", &T::WordWrap, &T::SetWordWrap, false)
      .Property("ScrollBars", &T::ScrollBars, &T::SetScrollBars, ssNone)
      .Property("UseCustomScrollBars", &T::UseCustomScrollBars, &T::SetUseCustomScrollBars)
      .Property("VertScrollBarStyles", &T::VertScrollBarStyles, nullptr)
      .Property("HorzScrollBarStyles", &T::HorzScrollBarStyles, nullptr)
      .Property("FlatFocusedScrollBars", &T::FlatFocusedScrollBars, &T::SetFlatFocusedScrollBars, false)
      .Property("Alignment", &T::Alignment, &T::SetAlignment)
      .Property("AlignBottom", &T::AlignBottom, &T::SetAlignBottom, true)
      .Property("LeftMargin", &T::LeftMargin, &T::SetLeftMargin, 1)
      .Property("RightMargin", &T::RightMargin, &T::SetRightMargin, 2)
      .Property("TopMargin", &T::TopMargin, &T::SetTopMargin, 1)
      .Property("TabSpaces", &T::TabSpaces, &T::SetTabSpaces, 4)
      .Property("MaxLength", &T::MaxLength, &T::SetMaxLength, 0)
      .Property("MaxUndoLevel", &T::MaxUndoLevel, &T::SetMaxUndoLevel, 10)
      .Property("PasswordChar", &T::PasswordChar, &T::SetPasswordChar)
      .Property("CharCase", &T::CharCase, &T::SetCharCase, eecNormal)
      .Property("ReadOnly", &T::ReadOnly, &T::SetReadOnly, false)
      .Property("WantTabs", &T::WantTabs, &T::SetWantTabs, false)
      .Property("AutoSelect", &T::AutoSelect, &T::SetAutoSelect, false)
      .Property("HandleDialogKeys", &T::HandleDialogKeys, &T::SetHandleDialogKeys, false)
      .Property("HideSelection", &T::HideSelection, &T::SetHideSelection, true)
      .Property("AutoSize", &T::AutoSize, &T::SetAutoSize, true)
      .Property("BorderStyle", &T::BorderStyle, &T::SetBorderStyle)
      .Property("BorderSides", &T::BorderSides, &T::SetBorderSides)
      .Property("Flat", &T::Flat, &T::SetFlat, false)
      .Property("ActiveBorderType", &T::ActiveBorderType, &T::SetActiveBorderType, fbtSunken)
      .Property("InactiveBorderType", &T::InactiveBorderType, &T::SetInactiveBorderType, fbtSunkenOuter)
      .Property("LineBorderActiveColor", &T::LineBorderActiveColor, &T::SetLineBorderActiveColor)
      .Idents(&ColorIdents)
      .Property("LineBorderInactiveColor", &T::LineBorderInactiveColor, &T::SetLineBorderInactiveColor)
      .Idents(&ColorIdents)
      .Property("Background", &T::Background, nullptr)
      .Property("UseBackground", &T::UseBackground, &T::SetUseBackground, false)
      .Property("ImageForm", &T::ImageForm, &T::SetImageForm)
      .Property("Transparent", &T::Transparent, &T::SetTransparent)
      .Property("RTLContent", &T::RTLContent, &T::SetRTLContent)
      .Property("ChangeDisabledText", &T::ChangeDisabledText, &T::SetChangeDisabledText, false)
      .Property("NotifyUserChangeOnly", &T::NotifyUserChangeOnly, &T::SetNotifyUserChangeOnly)
      .Property("UseXPThemes", &T::UseXPThemes, &T::SetUseXPThemes, true)
      .Property("Hint", &T::Hint, static_cast<void (T::*)(const TElFString&)>(&T::SetHint))
      .Property("TabStop", &T::TabStop, &T::SetTabStop, true)
      .Property("OnChange", onChange.first, onChange.second)
      .Property("OnSelectionChange", onSelectionChange.first, onSelectionChange.second)
      .Property("OnResize", onResize.first, onResize.second)
      .Property("OnMouseEnter", onMouseEnter.first, onMouseEnter.second)
      .Property("OnMouseLeave", onMouseLeave.first, onMouseLeave.second);
}

void InitEdits() {
  RegisterEnums();
  RegisterEdit();
}

}  // namespace

const TUnitInfo ElEditsUnit{"ElEdits", &InitEdits, nullptr};
