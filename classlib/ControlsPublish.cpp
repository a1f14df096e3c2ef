// The published properties of the window classes, for form files.
#include "ExtCtrls.hpp"
#include "Forms.hpp"
#include "ImgList.hpp"
#include "Menus.hpp"
#include "StdCtrls.hpp"
#include "WinApi.hpp"
#include "Streaming.hpp"

const TIdentMapper ColorIdents{
    [](const std::string& ident, Int64& value) {
      TColor c;
      if (!IdentToColor(ident, c)) return false;
      value = c;
      return true;
    },
    [](Int64 value, std::string& ident) { return ColorToIdent(static_cast<TColor>(value), ident); }};

namespace {

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
        if (SameText(ident, name)) {
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
  RegisterEnumNames<TDragMode>({"dmManual", "dmAutomatic"});
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
  RegisterEnumNames<TDrawingStyle>({"dsFocus", "dsSelected", "dsNormal", "dsTransparent"});
  RegisterEnumNames<TImageType>({"itImage", "itMask"});
  RegisterEnumNames<TBrushStyle>({"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                  "bsBDiagonal", "bsCross", "bsDiagCross"});
}

// Sub-objects a form sets in place (Font.Name = ..., Pen.Color = ...).
void RegisterGraphicsObjects() {
  Publish<TFont, TPersistent>()
      .Property("Charset", &TFont::Charset, &TFont::SetCharset)
      .Property("Color", &TFont::Color, &TFont::SetColor).Idents(&ColorIdents)
      .Property("Height", &TFont::Height, &TFont::SetHeight)
      .Property("Name", &TFont::Name, &TFont::SetName)
      .Property("Style", &TFont::Style, &TFont::SetStyle);
  Publish<TPen, TPersistent>()
      .Property("Color", &TPen::Color, &TPen::SetColor, clBlack).Idents(&ColorIdents)
      .Property("Mode", &TPen::Mode, &TPen::SetMode, pmCopy)
      .Property("Style", &TPen::Style, &TPen::SetStyle, psSolid)
      .Property("Width", &TPen::Width, &TPen::SetWidth, 1);
  Publish<TBrush, TPersistent>()
      .Property("Color", &TBrush::Color, &TBrush::SetColor, clWhite).Idents(&ColorIdents)
      .Property("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid);
  Publish<TSizeConstraints, TPersistent>()
      .Property("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight, 0)
      .Property("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth, 0)
      .Property("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight, 0)
      .Property("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth, 0);
}

// Every control, graphic or windowed. A class the library or a program
// derives from any of the control classes publishes its own additions on top
// of these tables: Publish<TMyControl, TCustomControl>().Property(...).
void RegisterControls() {
  Publish<TControl, TComponent>()
      .Property("Left", &TControl::Left, &TControl::SetLeft)
      .Property("Top", &TControl::Top, &TControl::SetTop)
      .Property("Width", &TControl::Width, &TControl::SetWidth)
      .Property("Height", &TControl::Height, &TControl::SetHeight)
      .Property("Align", &TControl::Align, &TControl::SetAlign, alNone)
      .Property("Anchors", &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop})
      .Property("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize)
      .Property("Caption", &TControl::Caption, &TControl::SetCaption)
      .Property("Color", &TControl::Color, &TControl::SetColor).Idents(&ColorIdents)
      .Property("Constraints", &TControl::Constraints, nullptr)
      .Property("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault).Idents(&kCursorIdents)
      .Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor, crDrag).Idents(&kCursorIdents)
      .Property("DragMode", &TControl::DragMode, &TControl::SetDragMode, dmManual)
      .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Property("Font", &TControl::Font, nullptr)
      .Property("Hint", &TControl::Hint, &TControl::SetHint)
      .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
      .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
      .Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint, true)
      .Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
      .Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
      .Property("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Property("OnClick", [](TControl* c) { return c->OnClick; }, [](TControl* c, const TNotifyEvent& e) { c->OnClick = e; })
      .Property("OnContextPopup", [](TControl* c) { return c->OnContextPopup; },
                [](TControl* c, const TContextPopupEvent& e) { c->OnContextPopup = e; })
      .Property("OnDblClick", [](TControl* c) { return c->OnDblClick; }, [](TControl* c, const TNotifyEvent& e) { c->OnDblClick = e; })
      .Property("OnDragDrop", [](TControl* c) { return c->OnDragDrop; }, [](TControl* c, const TDragDropEvent& e) { c->OnDragDrop = e; })
      .Property("OnDragOver", [](TControl* c) { return c->OnDragOver; }, [](TControl* c, const TDragOverEvent& e) { c->OnDragOver = e; })
      .Property("OnEndDrag", [](TControl* c) { return c->OnEndDrag; }, [](TControl* c, const TEndDragEvent& e) { c->OnEndDrag = e; })
      .Property("OnMouseDown", [](TControl* c) { return c->OnMouseDown; }, [](TControl* c, const TMouseEvent& e) { c->OnMouseDown = e; })
      .Property("OnMouseUp", [](TControl* c) { return c->OnMouseUp; }, [](TControl* c, const TMouseEvent& e) { c->OnMouseUp = e; })
      .Property("OnMouseMove", [](TControl* c) { return c->OnMouseMove; }, [](TControl* c, const TMouseMoveEvent& e) { c->OnMouseMove = e; })
      .Property("OnResize", [](TControl* c) { return c->OnResize; }, [](TControl* c, const TNotifyEvent& e) { c->OnResize = e; })
      .Property("OnStartDrag", [](TControl* c) { return c->OnStartDrag; }, [](TControl* c, const TStartDragEvent& e) { c->OnStartDrag = e; });
  Publish<TWinControl, TControl>()
      .Property("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
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
      .Property("OnEnter", [](TWinControl* c) { return c->OnEnter; }, [](TWinControl* c, const TNotifyEvent& e) { c->OnEnter = e; })
      .Property("OnExit", [](TWinControl* c) { return c->OnExit; }, [](TWinControl* c, const TNotifyEvent& e) { c->OnExit = e; })
      .Property("OnKeyDown", [](TWinControl* c) { return c->OnKeyDown; }, [](TWinControl* c, const TKeyEvent& e) { c->OnKeyDown = e; })
      .Property("OnKeyPress", [](TWinControl* c) { return c->OnKeyPress; }, [](TWinControl* c, const TKeyPressEvent& e) { c->OnKeyPress = e; })
      .Property("OnKeyUp", [](TWinControl* c) { return c->OnKeyUp; }, [](TWinControl* c, const TKeyEvent& e) { c->OnKeyUp = e; })
      .Property("OnMouseWheel", [](TWinControl* c) { return c->OnMouseWheel; },
                [](TWinControl* c, const TMouseWheelEvent& e) { c->OnMouseWheel = e; })
      .Property("OnMouseWheelDown", [](TWinControl* c) { return c->OnMouseWheelDown; },
                [](TWinControl* c, const TMouseWheelUpDownEvent& e) { c->OnMouseWheelDown = e; })
      .Property("OnMouseWheelUp", [](TWinControl* c) { return c->OnMouseWheelUp; },
                [](TWinControl* c, const TMouseWheelUpDownEvent& e) { c->OnMouseWheelUp = e; });
  Publish<TGraphicControl, TControl>();
  Publish<TCustomControl, TWinControl>();
}

void RegisterForms() {
  Publish<TCustomForm, TWinControl>()
      .Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle, bsSizeable)
      .Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons,
                TBorderIcons{biSystemMenu, biMinimize, biMaximize})
      .Property("ClientWidth", &TCustomForm::ClientWidth, &TCustomForm::SetClientWidth)
      .Property("ClientHeight", &TCustomForm::ClientHeight, &TCustomForm::SetClientHeight)
      .Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle, fsNormal)
      .Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview, false)
      .Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder)
      .Property("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch)
      .Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition, poDesigned)
      .Property("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled, true)
      .Property("TextHeight", &TCustomForm::TextHeight, &TCustomForm::SetTextHeight)
      .Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState, wsNormal)
      .Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl)
      .Property("OnCreate", [](TCustomForm* c) { return c->OnCreate; }, [](TCustomForm* c, const TNotifyEvent& e) { c->OnCreate = e; })
      .Property("OnDestroy", [](TCustomForm* c) { return c->OnDestroy; }, [](TCustomForm* c, const TNotifyEvent& e) { c->OnDestroy = e; })
      .Property("OnShow", [](TCustomForm* c) { return c->OnShow; }, [](TCustomForm* c, const TNotifyEvent& e) { c->OnShow = e; })
      .Property("OnClose", [](TCustomForm* c) { return c->OnClose; }, [](TCustomForm* c, const TCloseEvent& e) { c->OnClose = e; });
  Publish<TForm, TCustomForm>();
}

void RegisterStandard() {
  Publish<TCustomLabel, TGraphicControl>()
      .Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment, taLeftJustify)
      .Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, tlTop)
      .Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false)
      .Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true)
      .Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false)
      .Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
  Publish<TLabel, TCustomLabel>();
  Publish<TImage, TGraphicControl>()
      .Property("Picture", &TImage::Picture, nullptr)
      .Property("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
      .Property("Center", &TImage::Center, &TImage::SetCenter, false)
      .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent, false);
  Publish<TShape, TGraphicControl>()
      .Property("Shape", &TShape::Shape, &TShape::SetShape, stRectangle)
      .Property("Pen", &TShape::Pen, nullptr)
      .Property("Brush", &TShape::Brush, nullptr);
  Publish<TCustomMemo, TWinControl>()
      .Property("Lines", &TCustomMemo::Lines, nullptr)
      .Property("ReadOnly", &TCustomMemo::ReadOnly, &TCustomMemo::SetReadOnly, false)
      .Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap, true)
      .Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars, ssNone)
      .Property("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment, taLeftJustify)
      .Property("MaxLength", &TCustomMemo::MaxLength, &TCustomMemo::SetMaxLength, 0);
  Publish<TMemo, TCustomMemo>();
  Publish<TTimer, TComponent>()
      .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
      .Property("Interval", &TTimer::Interval, &TTimer::SetInterval, Cardinal(1000))
      .Property("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
  Publish<TImageList, TComponent>()
      .Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor, clNone).Idents(&ColorIdents)
      .Property("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor, clNone).Idents(&ColorIdents)
      .Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle, dsNormal)
      .Property("ImageType", &TImageList::ImageType, &TImageList::SetImageType, itImage)
      .Property("Masked", &TImageList::Masked, &TImageList::SetMasked, true)
      .Property("Height", &TImageList::Height, &TImageList::SetHeight, 16)
      .Property("Width", &TImageList::Width, &TImageList::SetWidth, 16);
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
  RegisterControls();
  RegisterForms();
  RegisterStandard();
}
