#include "ElHeader.hpp"

#include <algorithm>
#include <cstdlib>

#include "ElACtrls.hpp"
#include "ElIni.hpp"
#include "ElVCLUtils.hpp"
#include "Forms.hpp"
#include "Menus.hpp"
#include "Streaming.hpp"

namespace {

TElHeaderBitmaps g_bitmaps;

bool HasLineBreak(const TElFString& text) { return text.find_first_of(L"\r\n") != TElFString::npos; }

}  // namespace

const TElHeaderBitmaps& ElHeaderBitmaps() { return g_bitmaps; }

TCustomElHeader::TCustomElHeader(TComponent* owner)
    : TElXPThemedControl(owner), render_(std::make_unique<TElHTMLRender>()) {
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csOpaque,          csDoubleClicks,
                                csReplicatable, csDisplayDragImage, csReflector};
  SetTabStop(false);
  SetParentColor(false);
  SetColor(clBtnFace);
  imagesLink_ = std::make_unique<TChangeLink>();
  imagesLink_->OnChange = TNotifyEvent(this, &TCustomElHeader::ImagesChanged);
  imageFormLink_ = std::make_unique<TImgFormChangeLink>();
  imageFormLink_->OnChange = TNotifyEvent(this, &TCustomElHeader::ImageFormChanged);
  render_->OnImageNeeded = TElHTMLImageNeededEvent(this, &TCustomElHeader::DoHTMLImageNeeded);
  SetBounds(Left(), Top(), Width(), std::abs(Font()->Height()) + 2 * GetSystemMetrics(SM_CYBORDER) + 6);
  SetAlign(alTop);
}

TCustomElHeader::~TCustomElHeader() { render_->OnImageNeeded = nullptr; }

void TCustomElHeader::BeforeDestruction() {
  // The sections go while the header is whole; they tell it nothing now.
  sections_.reset();
  SetImageForm(nullptr);
  SetImages(nullptr);
  TElXPThemedControl::BeforeDestruction();
}

TElHeaderSections* TCustomElHeader::CreateSections() { return new TElHeaderSections(layout_, this); }

TElHeaderSections* TCustomElHeader::Sections() {
  if (!sections_) sections_.reset(CreateSections());
  return sections_.get();
}

void TCustomElHeader::SetSections(TElHeaderSections* value) { Sections()->Assign(value); }

bool TCustomElHeader::HeaderLoading() {
  return Loading() || (Owner() && Owner()->ComponentState().Contains(csLoading));
}

void TCustomElHeader::GetThemedClassName(TElFString& name) { name = L"HEADER"; }

void TCustomElHeader::CreateParams(TCreateParams& params) {
  TElXPThemedControl::CreateParams(params);
  if (rightAlignedText_) params.ExStyle |= WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
}

// ---------------------------------------------------------------- repainting

void TCustomElHeader::InvalidateClient(const TRect& rect) {
  if (!HandleAllocated() || Loading() || rect.right <= rect.left) return;
  InvalidateRect(Handle(), &rect, FALSE);
}

void TCustomElHeader::RepaintHeader() {
  if (HandleAllocated() && !Loading()) Invalidate();
}

void TCustomElHeader::RepaintSection(TElHeaderSection* section) {
  InvalidateClient(layout_.SectionClientRect(section));
}

void TCustomElHeader::RepaintFrom(TElHeaderSection* section) {
  TRect r = layout_.SectionClientRect(section);
  r.right = ClientWidth();
  InvalidateClient(r);
}

void TCustomElHeader::RepaintOwnerView() {
  auto* owner = dynamic_cast<TWinControl*>(Owner());
  if (owner && owner->HandleAllocated())
    RedrawWindow(owner->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TCustomElHeader::InvalidateSection(int position) {
  layout_.SectionRect(position);
  RepaintSection(Sections()->GetSectionAt(position));
}

// ---------------------------------------------------------------- host and measurer

void TCustomElHeader::SectionRemoving(TElHeaderSection* section) {
  if (lookupSection_ == section) {
    CloseLookup(false);
    lookupSection_ = nullptr;
  }
  if (pressedSection_ == section) {
    pressedSection_ = nullptr;
    pressing_ = false;
  }
  if (resizeSection_ == section) {
    RemoveResizeLine();
    resizing_ = false;
    resizeSection_ = nullptr;
  }
  if (dragSection_ == section) {
    dragSection_ = nullptr;
    dragImage_.reset();
  }
  if (hotSection_ == section) hotSection_ = nullptr;
  if (hintSection_ == section) hintSection_ = nullptr;
  if (dropSection_ == section) dropSection_ = nullptr;
}

void TCustomElHeader::MeasureOwnerDrawn(TElHeaderSection* section, int& size) {
  TPoint room{0, 0};
  DoSectionMeasure(section, room);
  size = room.x;
}

void TCustomElHeader::WatchPopupMenu(TPopupMenu* menu) { menu->FreeNotification(this); }

void TCustomElHeader::SetUpRender() {
  TElHTMLData* data = render_->Data();
  data->DefaultColor = Font()->Color();
  data->DefaultBgColor = clNone;
  data->Charset = Font()->Charset();
  data->DefaultStyle = Font()->Style();
  data->DefaultHeight = Font()->Height();
  data->DefaultFont = Font()->Name();
}

SIZE TCustomElHeader::SectionTextSize(const TElFString& text, bool html, int wrapWidth) {
  if (html) {
    SetUpRender();
    render_->PrepareText(text, wrapWidth, wrapWidth > 0);
    return SIZE{render_->Data()->TextWidth, render_->Data()->TextHeight};
  }
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->RequiredState({csHandleValid, csFontValid});
  UINT flags = DT_CALCRECT | DT_NOPREFIX;
  if (wrapWidth > 0)
    flags |= DT_WORDBREAK;
  else if (!HasLineBreak(text))
    flags |= DT_SINGLELINE;
  // An empty caption still has the height of a line.
  const TElFString measured = text.empty() ? TElFString(L" ") : text;
  TRect r{0, 0, std::max(wrapWidth, 0), 0};
  DrawWideText(canvas->Handle(), measured.c_str(), static_cast<int>(measured.size()), flags, r);
  return SIZE{text.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}

SIZE TCustomElHeader::ImageSize() { return images_ ? SIZE{images_->Width(), images_->Height()} : SIZE{0, 0}; }

// ---------------------------------------------------------------- properties

void TCustomElHeader::SetFlat(bool value) {
  if (layout_.Flat() == value) return;
  layout_.SetFlat(value);
  layout_.UpdateHeight();
  RepaintHeader();
}

void TCustomElHeader::SetWrapCaptions(bool value) {
  if (layout_.WrapCaptions() == value) return;
  layout_.SetWrapCaptions(value);
  layout_.UpdateHeight();
  RepaintHeader();
}

void TCustomElHeader::SetLockHeight(bool value) {
  if (layout_.LockHeight() == value) return;
  layout_.SetLockHeight(value);
  layout_.UpdateHeight();
}

void TCustomElHeader::SetFilterColor(TColor value) {
  if (filterColor_ == value) return;
  filterColor_ = value;
  RepaintHeader();
}

void TCustomElHeader::SetActiveFilterColor(TColor value) {
  if (activeFilterColor_ == value) return;
  activeFilterColor_ = value;
  RepaintHeader();
}

void TCustomElHeader::SetInvertSortArrows(bool value) {
  if (invertSortArrows_ == value) return;
  invertSortArrows_ = value;
  RepaintHeader();
}

void TCustomElHeader::SetTracking(bool value) {
  if (tracking_ == value) return;
  tracking_ = value;
  if (!value && hotSection_) {
    TElHeaderSection* old = hotSection_;
    hotSection_ = nullptr;
    RepaintSection(old);
  }
}

void TCustomElHeader::SetImages(TImageList* value) {
  if (images_ == value) return;
  if (images_) {
    images_->UnRegisterChanges(imagesLink_.get());
    images_->RemoveFreeNotification(this);
  }
  images_ = value;
  if (images_) {
    images_->RegisterChanges(imagesLink_.get());
    images_->FreeNotification(this);
  }
  if (ComponentState().Contains(csDestroying)) return;
  layout_.UpdateHeight();
  RepaintHeader();
}

void TCustomElHeader::ImagesChanged(TObject*) {
  layout_.UpdateHeight();
  RepaintHeader();
}

void TCustomElHeader::SetImageForm(TElImageForm* value) {
  if (FollowImageForm(this, imageForm_, value, imageFormLink_.get()) && !ComponentState().Contains(csDestroying))
    RepaintHeader();
}

void TCustomElHeader::ImageFormChanged(TObject*) { RepaintHeader(); }

void TCustomElHeader::SetStorage(TElIniFile* value) {
  if (storage_ == value) return;
  if (storage_) storage_->RemoveFreeNotification(this);
  storage_ = value;
  if (storage_) storage_->FreeNotification(this);
}

void TCustomElHeader::SetHint(const TElFString& value) {
  hint_ = value;
  TControl::SetHint(PackWideHint(value));
}

void TCustomElHeader::SetRightAlignedText(bool value) {
  if (rightAlignedText_ == value) return;
  rightAlignedText_ = value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomElHeader::SetRightAlignedOrder(bool value) {
  if (rightAlignedOrder_ == value) return;
  rightAlignedOrder_ = value;
  if (Loading()) return;
  TElHeaderSections* sections = Sections();
  TElHeaderUpdateScope update(layout_);
  // The left-fixed section keeps its place at the left edge.
  sections->ReverseFrom(layout_.LeftFixedSection() ? 1 : 0);
  RepaintHeader();
}

void TCustomElHeader::SetStickySections(bool value) {
  layout_.SetStickySections(value);
  RepaintHeader();
}

void TCustomElHeader::SetLeftFixedSection(TElHeaderSection* value) {
  if (layout_.LeftFixedSection() == value) return;
  layout_.SetLeftFixedSection(value);
  // The pinned section lies at the left edge, in the list too.
  if (value && value->Position() > 0) Sections()->MoveSection(value, 0);
  RepaintHeader();
}

void TCustomElHeader::SetLeftOffset(int value) {
  if (layout_.LeftOffset() == value) return;
  layout_.SetLeftOffset(value);
  RepaintHeader();
}

// ---------------------------------------------------------------- life

void TCustomElHeader::Loaded() {
  TElXPThemedControl::Loaded();
  TComponent* root = GetOwnerForm(this);
  if (!root) root = Owner();
  TElHeaderSections* sections = Sections();
  for (int i = 0; root && i < sections->Count(); ++i) {
    TElHeaderSection* s = sections->GetSectionAt(i);
    if (s->PopupMenuName().empty()) continue;
    if (auto* menu = dynamic_cast<TPopupMenu*>(root->FindComponent(s->PopupMenuName()))) {
      s->popupMenu_ = menu;
      menu->FreeNotification(this);
    }
  }
  // A stored header's sections are already in their right-aligned order.
  if (layout_.StickySections()) layout_.ComputeShares();
  layout_.UpdateHeight();
  RepaintHeader();
}

void TCustomElHeader::Notification(TComponent* component, TOperation operation) {
  TElXPThemedControl::Notification(component, operation);
  if (operation != opRemove || !component) return;
  if (component == storage_) storage_ = nullptr;
  if (component == images_) SetImages(nullptr);
  if (component == imageForm_) SetImageForm(nullptr);
  if (component == lookupBox_) {
    lookupBox_ = nullptr;
    lookupVisible_ = false;
  }
  if (sections_)
    for (int i = 0; i < sections_->Count(); ++i)
      if (sections_->GetSectionAt(i)->popupMenu_ == component) sections_->GetSectionAt(i)->popupMenu_ = nullptr;
}

void TCustomElHeader::Resize() {
  layout_.HeaderResized();
  TElXPThemedControl::Resize();
  RepaintHeader();
}

// ---------------------------------------------------------------- events

TElHeaderSection* TCustomElHeader::IsOnResizeGrip(int x) { return layout_.IsOnResizeGrip(x); }

void TCustomElHeader::DoPictureNeeded(TElHeaderSection* section, int& imageIndex) {
  OnPictureNeeded(this, section, imageIndex);
}
void TCustomElHeader::DoSectionShowHide(TElHeaderSection* section) { OnSectionShowHide(this, section); }
void TCustomElHeader::DoSectionDelete(TElHeaderSection* section) { OnSectionDelete(this, section); }
void TCustomElHeader::DoSectionMove(TElHeaderSection* section, int oldPosition, int newPosition) {
  OnSectionMove(this, section, oldPosition, newPosition);
}
void TCustomElHeader::DoSectionResizing(TElHeaderSection* section, TElHResizingStates state, int width) {
  OnSectionResizing(this, section, state, width);
}
void TCustomElHeader::DoSectionResize(TElHeaderSection* section) { OnSectionResize(this, section); }
void TCustomElHeader::DoSectionClick(TElHeaderSection* section) { OnSectionClick(this, section); }
void TCustomElHeader::DoSectionDraw(TCanvas* canvas, TElHeaderSection* section, const TRect& rect, bool pressed) {
  OnSectionDraw(this, canvas, section, rect, pressed);
}
void TCustomElHeader::DoSectionChange(TElHeaderSection* section, TSectionChangeMode change) {
  OnSectionChange(this, section, change);
}
void TCustomElHeader::DoSectionExpand(TElHeaderSection* section) { OnSectionExpand(this, section); }
void TCustomElHeader::DoSectionCollapse(TElHeaderSection* section) { OnSectionCollapse(this, section); }
void TCustomElHeader::DoSectionCreate(TElHeaderSection* section) { OnSectionCreate(this, section); }
void TCustomElHeader::DoHeaderLookup(TElHeaderSection* section, AnsiString& text) {
  OnHeaderLookup(this, section, text);
}
void TCustomElHeader::DoHeaderLookupDone(TElHeaderSection* section, const AnsiString& text, bool accepted) {
  OnHeaderLookupDone(this, section, text, accepted);
}
void TCustomElHeader::DoSectionAutoSize(TElHeaderSection* section) { OnSectionAutoSize(this, section); }
void TCustomElHeader::DoFilterCall(TElHeaderSection* section) { OnFilterCall(this, section); }
void TCustomElHeader::DoSectionMeasure(TElHeaderSection* section, TPoint& size) { OnMeasureSection(this, section, size); }
void TCustomElHeader::DoHTMLImageNeeded(TObject*, const TElFString& src, TBitmap*& image) {
  OnHTMLImageNeeded(this, src, image);
}

// ---------------------------------------------------------------- messages

void TCustomElHeader::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return;
    case CM_MOUSEENTER:
      mouseInside_ = true;
      break;
    case CM_MOUSELEAVE:
      MouseLeft();
      break;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
      if (dragSection_ || resizing_) ReleaseAt(-1, -1);
      break;
    case WM_KILLFOCUS:
      if (pressing_ || resizing_ || dragSection_) {
        const POINT p = PointerInClient();
        ReleaseAt(p.x, p.y);
      }
      break;
    case CN_KEYDOWN:
      if (EscapePressed(static_cast<Word>(m.WParam))) {
        m.Result = 1;
        return;
      }
      break;
    case CM_DRAG: DragMessage(m); break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      if (resizing_) return;
      break;
    case WM_RBUTTONUP: RightButtonUp(m); return;
    case WM_SETCURSOR: SetCursorMessage(m); return;
    case CM_HINTSHOW:
      TElXPThemedControl::Dispatch(m);
      if (auto* info = reinterpret_cast<THintInfo*>(m.LParam)) HintShow(*info);
      return;
    case CM_FONTCHANGED:
      TElXPThemedControl::Dispatch(m);
      layout_.UpdateHeight();
      RepaintHeader();
      return;
    case EL_BACKGROUND_MOVED: RepaintHeader(); return;
    default: break;
  }
  TElXPThemedControl::Dispatch(m);
}

// ---------------------------------------------------------------- unit

namespace {

void PublishHeader() {
  using S = TElHeaderSections;
  Publish<S, TPersistent>()
      .Property("SectionsOrder", &S::SectionsOrder, &S::SetSectionsOrder)
      .Stored([](S*) { return false; });
  using C = TCustomElHeader;
  using H = TElHeader;
  Publish<C, TCustomControl>().Property("Hint", &C::Hint, &C::SetHint);
  Publish<H, C>()
      .Property("ActiveFilterColor", &C::ActiveFilterColor, &C::SetActiveFilterColor, clBlack).Idents(&ColorIdents)
      .Property("Align", &TControl::Align, &TControl::SetAlign, alTop)
      .Property("AllowDrag", &C::AllowDrag, &C::SetAllowDrag, true)
      .Property("Color", &TControl::Color, &TControl::SetColor, clBtnFace).Idents(&ColorIdents)
      .Property("DefaultWidth", &C::DefaultWidth, &C::SetDefaultWidth, 120)
      .Property("FilterColor", &C::FilterColor, &C::SetFilterColor, clBtnText).Idents(&ColorIdents)
      .Property("Flat", &C::Flat, &C::SetFlat, false)
      .Property("ImageForm", &C::ImageForm, &C::SetImageForm)
      .Property("Images", &C::Images, &C::SetImages)
      .Property("InvertSortArrows", &C::InvertSortArrows, &C::SetInvertSortArrows, false)
      .Property("LockHeight", &C::LockHeight, &C::SetLockHeight, false)
      .Property("MoveOnDrag", &C::MoveOnDrag, &C::SetMoveOnDrag, false)
      .Property("ResizeOnDrag", &C::ResizeOnDrag, &C::SetResizeOnDrag, false)
      .Property("RightAlignedText", &C::RightAlignedText, &C::SetRightAlignedText, false)
      .Property("RightAlignedOrder", &C::RightAlignedOrder, &C::SetRightAlignedOrder, false)
      .Property("Sections", [](C* c) { return c->Sections(); }, nullptr)
      .Property("StickySections", &C::StickySections, &C::SetStickySections, false)
      .Property("Storage", &C::Storage, &C::SetStorage)
      .Property("StoragePath", &C::StoragePath, &C::SetStoragePath)
      .Property("Tracking", &C::Tracking, &C::SetTracking, true)
      .Property("UseXPThemes", &C::UseXPThemes, &C::SetUseXPThemes, true)
      .Property("WrapCaptions", &C::WrapCaptions, &C::SetWrapCaptions, false)
      .Property("OnPictureNeeded", EventGetter(&C::OnPictureNeeded), EventSetter(&C::OnPictureNeeded))
      .Property("OnSectionShowHide", EventGetter(&C::OnSectionShowHide), EventSetter(&C::OnSectionShowHide))
      .Property("OnSectionDelete", EventGetter(&C::OnSectionDelete), EventSetter(&C::OnSectionDelete))
      .Property("OnSectionMove", EventGetter(&C::OnSectionMove), EventSetter(&C::OnSectionMove))
      .Property("OnSectionResizing", EventGetter(&C::OnSectionResizing), EventSetter(&C::OnSectionResizing))
      .Property("OnSectionResize", EventGetter(&C::OnSectionResize), EventSetter(&C::OnSectionResize))
      .Property("OnSectionClick", EventGetter(&C::OnSectionClick), EventSetter(&C::OnSectionClick))
      .Property("OnSectionDraw", EventGetter(&C::OnSectionDraw), EventSetter(&C::OnSectionDraw))
      .Property("OnSectionChange", EventGetter(&C::OnSectionChange), EventSetter(&C::OnSectionChange))
      .Property("OnSectionExpand", EventGetter(&C::OnSectionExpand), EventSetter(&C::OnSectionExpand))
      .Property("OnSectionCollapse", EventGetter(&C::OnSectionCollapse), EventSetter(&C::OnSectionCollapse))
      .Property("OnSectionCreate", EventGetter(&C::OnSectionCreate), EventSetter(&C::OnSectionCreate))
      .Property("OnHeaderLookup", EventGetter(&C::OnHeaderLookup), EventSetter(&C::OnHeaderLookup))
      .Property("OnHeaderLookupDone", EventGetter(&C::OnHeaderLookupDone), EventSetter(&C::OnHeaderLookupDone))
      .Property("OnSectionAutoSize", EventGetter(&C::OnSectionAutoSize), EventSetter(&C::OnSectionAutoSize))
      .Property("OnFilterCall", EventGetter(&C::OnFilterCall), EventSetter(&C::OnFilterCall))
      .Property("OnMeasureSection", EventGetter(&C::OnMeasureSection), EventSetter(&C::OnMeasureSection))
      .Property("OnHTMLImageNeeded", EventGetter(&C::OnHTMLImageNeeded), EventSetter(&C::OnHTMLImageNeeded));
}

TBitmap* LoadBitmap(const char* name) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), name);
  return bitmap.release();
}

void FreeBitmaps() {
  for (TBitmap** b : {&g_bitmaps.Ascending, &g_bitmaps.Descending, &g_bitmaps.Left, &g_bitmaps.Right, &g_bitmaps.Point})
    FreeAndNil(*b);
}

void InitElHeader() {
  try {
    g_bitmaps.Ascending = LoadBitmap("ELHEADERASCBMP");
    g_bitmaps.Descending = LoadBitmap("ELHEADERDESCBMP");
    g_bitmaps.Left = LoadBitmap("ELHEADERLEFTBMP");
    g_bitmaps.Right = LoadBitmap("ELHEADERRIGHTBMP");
    g_bitmaps.Point = LoadBitmap("ELHEADERPOINTBMP");
  } catch (...) {
    FreeBitmaps();
    throw;
  }
  PublishHeader();
}

}  // namespace

const TUnitInfo ElHeaderUnit = {"ElHeader", &InitElHeader, &FreeBitmaps};
