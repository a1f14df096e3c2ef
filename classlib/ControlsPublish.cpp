// The published properties of the window classes, for form files.
#include "ExtCtrls.hpp"
#include "Forms.hpp"
#include "Menus.hpp"
#include "StdCtrls.hpp"
#include "WinApi.hpp"
#include "Streaming.hpp"

namespace {
const TIdentMapper kColorIdents{
    [](const std::string& ident, Int64& value) {
      TColor c;
      if (!IdentToColor(ident, c)) return false;
      value = c;
      return true;
    },
    [](Int64 value, std::string& ident) { return ColorToIdent(static_cast<TColor>(value), ident); }};

const std::pair<TCursor, const char*> kCursorNames[] = {
    {crDefault, "crDefault"}, {crNone, "crNone"}, {crArrow, "crArrow"}, {crCross, "crCross"},
    {crIBeam, "crIBeam"}, {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"}, {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"}, {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"}, {crVSplit, "crVSplit"}, {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"}, {crNo, "crNo"}, {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
    {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"}};

const TIdentMapper kCursorIdents{
    [](const std::string& ident, Int64& value) {
      for (auto& [id, name] : kCursorNames)
        if (streaming_detail::SameName(ident, name)) {
          value = id;
          return true;
        }
      return false;
    },
    [](Int64 value, std::string& ident) {
      for (auto& [id, name] : kCursorNames)
        if (id == value) {
          ident = name;
          return true;
        }
      return false;
    }};

void RegisterEnums() {
  RegisterEnumNames<TAlign>({"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
  RegisterEnumNames<TAnchorKind>({"akLeft", "akTop", "akRight", "akBottom"});
  RegisterEnumNames<TBevelCut>({"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  RegisterEnumNames<TBevelEdge>({"beLeft", "beTop", "beRight", "beBottom"});
  RegisterEnumNames<TBevelKind>({"bkNone", "bkTile", "bkSoft", "bkFlat"});
  RegisterEnumNames<TFontStyle>({"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  RegisterEnumNames<TFormBorderStyle>({"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
  RegisterEnumNames<TBorderIcon>({"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
  RegisterEnumNames<TPosition>({"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"});
  RegisterEnumNames<TFormStyle>({"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"});
  RegisterEnumNames<TWindowState>({"wsNormal", "wsMinimized", "wsMaximized"});
  RegisterEnumNames<TAlignment>({"taLeftJustify", "taRightJustify", "taCenter"});
  RegisterEnumNames<TTextLayout>({"tlTop", "tlCenter", "tlBottom"});
  RegisterEnumNames<TScrollStyle>({"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  RegisterEnumNames<TScrollBarKind>({"sbHorizontal", "sbVertical"});
  RegisterEnumNames<TShapeType>({"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
  RegisterEnumNames<TPenStyle>({"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"});
  RegisterEnumNames<TPenMode>({"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                               "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
                               "pmMask", "pmNotMask", "pmXor", "pmNotXor"});
  RegisterEnumNames<TBrushStyle>({"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                  "bsBDiagonal", "bsCross", "bsDiagCross"});
}

// Sub-objects a form sets in place (Font.Name = ..., Pen.Color = ...).
void RegisterGraphicsObjects() {
  Publish<TFont, TPersistent>()
      .Property("Charset", &TFont::Charset, &TFont::SetCharset)
      .Property("Color", &TFont::Color, &TFont::SetColor).Idents(&kColorIdents)
      .Property("Height", &TFont::Height, &TFont::SetHeight)
      .Property("Name", &TFont::Name, &TFont::SetName)
      .Property("Style", &TFont::Style, &TFont::SetStyle);
  Publish<TPen, TPersistent>()
      .Property("Color", &TPen::Color, &TPen::SetColor, clBlack).Idents(&kColorIdents)
      .Property("Mode", &TPen::Mode, &TPen::SetMode, pmCopy)
      .Property("Style", &TPen::Style, &TPen::SetStyle, psSolid)
      .Property("Width", &TPen::Width, &TPen::SetWidth, 1);
  Publish<TBrush, TPersistent>()
      .Property("Color", &TBrush::Color, &TBrush::SetColor, clWhite).Idents(&kColorIdents)
      .Property("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid);
  Publish<TSizeConstraints, TPersistent>()
      .Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight, 0)
      .Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth, 0)
      .Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight, 0)
      .Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth, 0);
}

// What every control publishes; T is the class being published.
template <class T, class Base>
TPublisher<T> PublishControl() {
  auto p = Publish<T, Base>();
  p.Property("Left", &TControl::Left, &TControl::SetLeft)
      .Property("Top", &TControl::Top, &TControl::SetTop)
      .Property("Width", &TControl::Width, &TControl::SetWidth)
      .Property("Height", &TControl::Height, &TControl::SetHeight)
      .Property("Align", &TControl::Align, &TControl::SetAlign, alNone)
      .Property("Anchors", &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop})
      .Property("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize)
      .Property("Caption", &TControl::Caption, &TControl::SetCaption)
      .Property("Color", &TControl::Color, &TControl::SetColor).Idents(&kColorIdents)
      .Property("Constraints", &TControl::Constraints, nullptr)
      .Property("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault).Idents(&kCursorIdents)
      .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Property("Font", &TControl::Font, nullptr)
      .Property("Hint", &TControl::Hint, &TControl::SetHint)
      .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
      .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
      .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
      .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
      .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Property("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Property("OnClick", [](T* c) { return c->OnClick; }, [](T* c, const TNotifyEvent& e) { c->OnClick = e; })
      .Property("OnDblClick", [](T* c) { return c->OnDblClick; }, [](T* c, const TNotifyEvent& e) { c->OnDblClick = e; })
      .Property("OnMouseDown", [](T* c) { return c->OnMouseDown; }, [](T* c, const TMouseEvent& e) { c->OnMouseDown = e; })
      .Property("OnMouseUp", [](T* c) { return c->OnMouseUp; }, [](T* c, const TMouseEvent& e) { c->OnMouseUp = e; })
      .Property("OnMouseMove", [](T* c) { return c->OnMouseMove; }, [](T* c, const TMouseMoveEvent& e) { c->OnMouseMove = e; });
  return p;
}

template <class T, class Base>
TPublisher<T> PublishWinControl() {
  auto p = PublishControl<T, Base>();
  p.Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
      .Property("BevelEdges", &TWinControl::BevelEdges, &TWinControl::SetBevelEdges,
                TBevelEdges{beLeft, beTop, beRight, beBottom})
      .Property("BevelInner", &TWinControl::BevelInner, &TWinControl::SetBevelInner, bvRaised)
      .Property("BevelOuter", &TWinControl::BevelOuter, &TWinControl::SetBevelOuter, bvLowered)
      .Property("BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind, bkNone)
      .Property("BevelWidth", &TWinControl::BevelWidth, &TWinControl::SetBevelWidth, 1)
      .Property("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, true)
      .Property("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true)
      .Property("DoubleBuffered", &TWinControl::DoubleBuffered, &TWinControl::SetDoubleBuffered, false)
      .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
      .Property("OnEnter", [](T* c) { return c->OnEnter; }, [](T* c, const TNotifyEvent& e) { c->OnEnter = e; })
      .Property("OnExit", [](T* c) { return c->OnExit; }, [](T* c, const TNotifyEvent& e) { c->OnExit = e; });
  return p;
}

void RegisterForms() {
  PublishWinControl<TForm, TComponent>()
      .Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle, bsSizeable)
      .Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons,
                TBorderIcons{biSystemMenu, biMinimize, biMaximize})
      .Property("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth)
      .Property("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight)
      .Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle, fsNormal)
      .Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview, false)
      .Property("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder)
      .Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch)
      .Property("Position", &TForm::Position, &TForm::SetPosition, poDesigned)
      .Property("Scaled", &TForm::Scaled, &TForm::SetScaled, true)
      .Property("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight)
      .Property("WindowState", &TForm::WindowState, &TForm::SetWindowState, wsNormal)
      .Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl)
      .Property("OnCreate", [](TForm* c) { return c->OnCreate; }, [](TForm* c, const TNotifyEvent& e) { c->OnCreate = e; })
      .Property("OnDestroy", [](TForm* c) { return c->OnDestroy; }, [](TForm* c, const TNotifyEvent& e) { c->OnDestroy = e; })
      .Property("OnShow", [](TForm* c) { return c->OnShow; }, [](TForm* c, const TNotifyEvent& e) { c->OnShow = e; })
      .Property("OnClose", [](TForm* c) { return c->OnClose; }, [](TForm* c, const TCloseEvent& e) { c->OnClose = e; });
}

void RegisterStandard() {
  PublishControl<TLabel, TComponent>()
      .Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment, taLeftJustify)
      .Property("Layout", &TLabel::Layout, &TLabel::SetLayout, tlTop)
      .Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, false)
      .Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, true)
      .Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
      .Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
  PublishControl<TImage, TComponent>()
      .Property("Picture", &TImage::Picture, nullptr)
      .Property("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
      .Property("Center", &TImage::Center, &TImage::SetCenter, false)
      .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
  PublishControl<TShape, TComponent>()
      .Property("Shape", &TShape::Shape, &TShape::SetShape, stRectangle)
      .Property("Pen", &TShape::Pen, nullptr)
      .Property("Brush", &TShape::Brush, nullptr);
  PublishWinControl<TMemo, TComponent>()
      .Property("Lines", &TMemo::Lines, nullptr)
      .Property("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly, false)
      .Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap, true)
      .Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars, ssNone)
      .Property("Alignment", &TMemo::Alignment, &TMemo::SetAlignment, taLeftJustify)
      .Property("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength, 0);
  Publish<TTimer, TComponent>()
      .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
      .Property("Interval", &TTimer::Interval, &TTimer::SetInterval, Cardinal(1000))
      .Property("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
  Publish<TPopupMenu, TComponent>()
      .Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true);
}
}  // namespace

void RegisterControlClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterEnums();
  RegisterGraphicsObjects();
  RegisterForms();
  RegisterStandard();
}
