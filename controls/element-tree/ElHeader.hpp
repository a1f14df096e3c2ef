// The column header: a strip of sections (ElHeaderSections.hpp) that the
// user clicks, resizes by their 5-pixel grips, drags to new places, expands
// and collapses, and that can carry a lookup box or a filter button each.
// The tree owns one as its column header; it also stands alone. Its window-
// free core, geometry and sticky sections included, is TElHeaderLayout; the
// control keeps the window, painting (ElHeaderPaint.cpp), the mouse
// (ElHeaderMouse.cpp), the lookup box (ElHeaderLookup.cpp) and the storage
// of its view settings (ElHeaderStorage.cpp).
#pragma once

#include <memory>

#include "ElHeaderLayout.hpp"
#include "ElHeaderSections.hpp"
#include "ElImgFrm.hpp"
#include "ElXPThemedControl.hpp"
#include "HTMLRender.hpp"
#include "ImgList.hpp"

class TElAdvancedComboBox;
class TElIniFile;
struct THintInfo;

// The states of a resize by the mouse, as OnSectionResizing tells them.
enum TElHResizingStates { trsBegin = 0, trsMove = 1, trsEnd = 2 };

using TElSectionEvent = TEvent<TObject*, TElHeaderSection*>;
using TElSectionMoveEvent = TEvent<TObject*, TElHeaderSection*, int, int>;
using TElSectionResizingEvent = TEvent<TObject*, TElHeaderSection*, TElHResizingStates, int>;
// Sender, Canvas, Section, R, Pressed.
using TElSectionRedrawEvent = TEvent<TObject*, TCanvas*, TElHeaderSection*, TRect, bool>;
using TElSectionChangeEvent = TEvent<TObject*, TElHeaderSection*, TSectionChangeMode>;
// Sender, Section, var ImageIndex (starts at -1).
using TElHeaderPictureNeededEvent = TEvent<TObject*, TElHeaderSection*, int&>;
// Sender, Section, var Text: the text typed into the lookup box.
using TElHeaderLookupEvent = TEvent<TObject*, TElHeaderSection*, AnsiString&>;
using TElHeaderLookupDoneEvent = TEvent<TObject*, TElHeaderSection*, const AnsiString&, bool>;
// Sender, Section, var Size: the room an owner-drawn section's content needs
// (X is added to its width).
using TMeasureSectionEvent = TEvent<TObject*, TElHeaderSection*, TPoint&>;

class TCustomElHeader : public TElXPThemedControl, private TElHeaderHost, private TElHeaderMeasurer {
 public:
  explicit TCustomElHeader(TComponent* owner);
  ~TCustomElHeader() override;
  void BeforeDestruction() override;

  // ---- sections and their layout
  TElHeaderSections* Sections();
  void SetSections(TElHeaderSections* value);
  TElHeaderLayout& Layout() { return layout_; }
  int SectionsWidth() const { return layout_.SectionsWidth(); }
  TElHeaderSection* SectionAtPoint(int x, int y) const { return layout_.SectionAtPoint(x, y); }
  TElHeaderSection* HitTest(int x, int y, TElHeaderHitKind& kind) const { return layout_.HitTest(x, y, kind); }
  TRect SectionRect(int position) const { return layout_.SectionRect(position); }
  TElSectionMeasure MeasureSection(TElHeaderSection* section) const { return layout_.MeasureSection(section); }
  int IdealHeight() const { return layout_.IdealHeight(); }
  void FitSections(TElHeaderSection* except) { layout_.FitSections(except); }
  // Repaints the section at a position; EElHeaderError "Index out of bounds"
  // outside 0..Count - 1.
  void InvalidateSection(int position);
  void BeginUpdate() { layout_.BeginUpdate(); }
  void EndUpdate() { layout_.EndUpdate(); }

  // ---- published settings
  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool value) { allowDrag_ = value; }
  int DefaultWidth() const { return layout_.DefaultWidth(); }
  void SetDefaultWidth(int value) { layout_.SetDefaultWidth(value); }
  bool Flat() const { return layout_.Flat(); }
  void SetFlat(bool value);
  TColor FilterColor() const { return filterColor_; }
  void SetFilterColor(TColor value);
  TColor ActiveFilterColor() const { return activeFilterColor_; }
  void SetActiveFilterColor(TColor value);
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* value);
  TElImageForm* ImageForm() const { return imageForm_; }
  void SetImageForm(TElImageForm* value);
  bool InvertSortArrows() const { return invertSortArrows_; }
  void SetInvertSortArrows(bool value);
  bool LockHeight() const { return layout_.LockHeight(); }
  void SetLockHeight(bool value);
  bool MoveOnDrag() const { return moveOnDrag_; }
  void SetMoveOnDrag(bool value) { moveOnDrag_ = value; }
  bool ResizeOnDrag() const { return resizeOnDrag_; }
  void SetResizeOnDrag(bool value) { resizeOnDrag_ = value; }
  bool RightAlignedText() const { return rightAlignedText_; }
  // Recreates the window with right-to-left reading.
  void SetRightAlignedText(bool value);
  bool RightAlignedOrder() const { return rightAlignedOrder_; }
  // Reverses the order of the sections (not while loading: a stored order
  // is already the reversed one).
  void SetRightAlignedOrder(bool value);
  bool StickySections() const { return layout_.StickySections(); }
  void SetStickySections(bool value);
  bool Tracking() const { return tracking_; }
  void SetTracking(bool value);
  TElIniFile* Storage() const { return storage_; }
  void SetStorage(TElIniFile* value);
  const AnsiString& StoragePath() const { return storagePath_; }
  void SetStoragePath(const AnsiString& value) { storagePath_ = value; }
  bool WrapCaptions() const { return layout_.WrapCaptions(); }
  virtual void SetWrapCaptions(bool value);
  // The UTF-16 hint; the class library's hint carries it packed.
  const TElFString& Hint() const { return hint_; }
  void SetHint(const TElFString& value);
  // Several sections may keep a sort mode at once (the tree's multi-column
  // sorting); otherwise giving one a mode clears the others'.
  bool KeepSortModes() const { return layout_.KeepSortModes(); }
  void SetKeepSortModes(bool value) { layout_.SetKeepSortModes(value); }
  TElHeaderSection* LeftFixedSection() const { return layout_.LeftFixedSection(); }
  void SetLeftFixedSection(TElHeaderSection* value);
  int LeftOffset() const { return layout_.LeftOffset(); }
  // The tree scrolls its header through this.
  void SetLeftOffset(int value);

  // ---- the view settings in Storage, under StoragePath + "ElHeader"
  void SaveToStorage();
  void RestoreFromStorage();

  // ---- state, for owners and tests
  bool MouseInside() const { return mouseInside_; }
  bool Pressing() const { return pressing_; }
  bool Resizing() const { return resizing_; }
  bool ResizeLineShown() const { return resizeLineShown_; }
  TElHeaderSection* PressedSection() const { return pressedSection_; }
  TElHeaderSection* HotSection() const { return hotSection_; }
  TElHeaderSection* HintSection() const { return hintSection_; }
  TElHeaderSection* ResizeSection() const { return resizeSection_; }
  TElHeaderSection* DragSection() const { return dragSection_; }
  TElHeaderSection* DropSection() const { return dropSection_; }
  TElHeaderSection* LookupSection() const { return lookupSection_; }
  TElAdvancedComboBox* LookupBox() const { return lookupBox_; }
  bool LookupVisible() const { return lookupVisible_; }
  // Ends the lookup box as Enter (accepted) or Escape would.
  void CloseLookup(bool accepted);

  // Paints one section into a canvas, as the strip shows it or as the drag
  // image.
  void PaintSection(TCanvas* canvas, TElHeaderSection* section, bool asDragImage, const TRect& rect);

  void Dispatch(TMessage& message) override;

  TElHeaderPictureNeededEvent OnPictureNeeded;
  TElSectionEvent OnSectionShowHide;
  TElSectionEvent OnSectionDelete;
  TElSectionMoveEvent OnSectionMove;
  TElSectionResizingEvent OnSectionResizing;
  TElSectionEvent OnSectionResize;
  TElSectionEvent OnSectionClick;
  TElSectionRedrawEvent OnSectionDraw;
  TElSectionChangeEvent OnSectionChange;
  TElSectionEvent OnSectionExpand;
  TElSectionEvent OnSectionCollapse;
  TElSectionEvent OnSectionCreate;
  TElHeaderLookupEvent OnHeaderLookup;
  TElHeaderLookupDoneEvent OnHeaderLookupDone;
  TElSectionEvent OnSectionAutoSize;
  TElSectionEvent OnFilterCall;
  TMeasureSectionEvent OnMeasureSection;
  TElHTMLImageNeededEvent OnHTMLImageNeeded;

 protected:
  virtual TElHeaderSections* CreateSections();
  virtual TElHeaderSection* IsOnResizeGrip(int x);
  virtual void DoPictureNeeded(TElHeaderSection* section, int& imageIndex);
  virtual void DoSectionShowHide(TElHeaderSection* section);
  virtual void DoSectionDelete(TElHeaderSection* section);
  virtual void DoSectionMove(TElHeaderSection* section, int oldPosition, int newPosition);
  virtual void DoSectionResizing(TElHeaderSection* section, TElHResizingStates state, int width);
  virtual void DoSectionResize(TElHeaderSection* section);
  virtual void DoSectionClick(TElHeaderSection* section);
  virtual void DoSectionDraw(TCanvas* canvas, TElHeaderSection* section, const TRect& rect, bool pressed);
  virtual void DoSectionChange(TElHeaderSection* section, TSectionChangeMode change);
  virtual void DoSectionExpand(TElHeaderSection* section);
  virtual void DoSectionCollapse(TElHeaderSection* section);
  virtual void DoSectionCreate(TElHeaderSection* section);
  virtual void DoHeaderLookup(TElHeaderSection* section, AnsiString& text);
  virtual void DoHeaderLookupDone(TElHeaderSection* section, const AnsiString& text, bool accepted);
  virtual void DoSectionAutoSize(TElHeaderSection* section);
  virtual void DoFilterCall(TElHeaderSection* section);
  virtual void DoSectionMeasure(TElHeaderSection* section, TPoint& size);
  virtual void DoHTMLImageNeeded(TObject* sender, const TElFString& src, TBitmap*& image);

  void GetThemedClassName(TElFString& name) override;
  void CreateParams(TCreateParams& params) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  // ---- TElHeaderHost
  int HeaderWidth() override { return Width(); }
  int HeaderClientWidth() override { return ClientWidth(); }
  int HeaderHeight() override { return ClientHeight(); }
  void SetHeaderHeight(int height) override { SetClientHeight(height); }
  bool HeaderLoading() override;
  bool HeaderDestroying() override { return ComponentState().Contains(csDestroying); }
  void RepaintHeader() override;
  void RepaintSection(TElHeaderSection* section) override;
  void RepaintFrom(TElHeaderSection* section) override;
  void RepaintOwnerView() override;
  void SectionChanged(TElHeaderSection* section, TSectionChangeMode change) override { DoSectionChange(section, change); }
  void SectionShownOrHidden(TElHeaderSection* section) override { DoSectionShowHide(section); }
  void SectionsCreated() override { DoSectionCreate(nullptr); }
  void SectionsDeleted() override { DoSectionDelete(nullptr); }
  void SectionMoved(TElHeaderSection* section, int oldPosition, int newPosition) override {
    DoSectionMove(section, oldPosition, newPosition);
  }
  void SectionRemoving(TElHeaderSection* section) override;
  void PictureNeeded(TElHeaderSection* section, int& imageIndex) override { DoPictureNeeded(section, imageIndex); }
  void MeasureOwnerDrawn(TElHeaderSection* section, int& size) override;
  void WatchPopupMenu(TPopupMenu* menu) override;
  void UpdateEnded() override { RepaintHeader(); }

  // ---- TElHeaderMeasurer
  SIZE SectionTextSize(const TElFString& text, bool html, int wrapWidth) override;
  SIZE ImageSize() override;

  bool Loading() const { return ComponentState().Contains(csLoading); }
  void SetUpRender();
  void ImagesChanged(TObject* sender);
  void ImageFormChanged(TObject* sender);
  void FontChanged(TObject* sender);
  void InvalidateClient(const TRect& rect);

  // ---- painting (ElHeaderPaint.cpp)
  struct TSectionPaint;
  void PaintStrip(TCanvas* canvas, const TRect& clip);
  void PaintFrame(TCanvas* canvas, const TSectionPaint& p, TRect& rect);
  void PaintButtons(TCanvas* canvas, const TSectionPaint& p, TRect& rect);
  void PaintSortMark(TCanvas* canvas, const TSectionPaint& p, TRect& rect);
  void PaintContent(TCanvas* canvas, const TSectionPaint& p, TRect& rect);
  // Returns the text's width.
  int PaintText(TCanvas* canvas, const TSectionPaint& p, const TRect& rect);
  void PaintImage(TCanvas* canvas, int index, int x, const TRect& rect);
  void PaintBackground(TCanvas* canvas, const TRect& rect, TColor color);
  void PaintDragImage(TCanvas* canvas);
  void BuildDragImage();
  bool SectionPressed(const TElHeaderSection* section) const;

  // ---- mouse (ElHeaderMouse.cpp)
  void PressAt(int x, int y);
  void ReleaseAt(int x, int y);
  void StartResize(TElHeaderSection* section, int x);
  void ResizeTo(int x);
  void EndResize();
  void DrawResizeLine(int x);
  void RemoveResizeLine();
  void StartDrag();
  void DragTo(int x, int y);
  void EndDrag(int x, int y, bool cancelled);
  void TrackHotSection(int x, int y);
  void TrackHintSection(int x, int y);
  bool EscapePressed(Word key);
  void MouseLeft();
  void DragMessage(TMessage& m);
  void RightButtonUp(TMessage& m);
  void SetCursorMessage(TMessage& m);
  void HintShow(THintInfo& info);
  POINT PointerInClient() const;

  // ---- lookup box (ElHeaderLookup.cpp)
  void OpenLookup(TElHeaderSection* section);
  void LookupChange(TObject* sender);
  void LookupKeyDown(TObject* sender, Word& key, TShiftState shift);
  void LookupKeyPress(TObject* sender, char& key);
  void LookupExit(TObject* sender);

  TElHeaderLayout layout_{*this, *this};
  std::unique_ptr<TElHeaderSections> sections_;

  bool allowDrag_ = true;
  TColor filterColor_ = clBtnText;
  TColor activeFilterColor_ = clBlack;
  TImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imagesLink_;
  TElImageForm* imageForm_ = nullptr;
  std::unique_ptr<TImgFormChangeLink> imageFormLink_;
  bool invertSortArrows_ = false;
  bool moveOnDrag_ = false;
  bool resizeOnDrag_ = false;
  bool rightAlignedText_ = false;
  bool rightAlignedOrder_ = false;
  bool tracking_ = true;
  TElIniFile* storage_ = nullptr;
  AnsiString storagePath_;
  TElFString hint_;

  bool mouseInside_ = false;
  bool painting_ = false;
  std::unique_ptr<TBitmap> dragImage_;
  TColor dragColor_ = clNone;
  TRect dragRect_{};
  int dragGrab_ = 0;
  int dragStartPosition_ = -1;
  TElAdvancedComboBox* lookupBox_ = nullptr;  // owned as a component
  POINT pressPoint_{};
  bool pressing_ = false;
  TElHeaderSection* pressedSection_ = nullptr;
  TElHeaderSection* hintSection_ = nullptr;
  TElHeaderSection* lookupSection_ = nullptr;
  TElHeaderSection* hotSection_ = nullptr;
  bool resizing_ = false;
  TElHeaderSection* resizeSection_ = nullptr;
  TElHeaderSection* dragSection_ = nullptr;
  TElHeaderSection* dropSection_ = nullptr;
  int resizeLineX_ = 0;
  int resizeWidth_ = 0;
  int resizeGrabOffset_ = 0;
  bool resizeLineShown_ = false;
  bool lookupInternalChange_ = false;
  bool lookupVisible_ = false;
  HDC resizeDC_ = nullptr;
  HWND resizeWindow_ = nullptr;
  HWND focusBeforeLookup_ = nullptr;
  std::unique_ptr<TElHTMLRender> render_;
};

class TElHeader : public TCustomElHeader {
 public:
  explicit TElHeader(TComponent* owner) : TCustomElHeader(owner) {}
};

// The five bitmaps every header draws with, loaded by the unit's start-up.
struct TElHeaderBitmaps {
  TBitmap* Ascending = nullptr;
  TBitmap* Descending = nullptr;
  TBitmap* Left = nullptr;
  TBitmap* Right = nullptr;
  TBitmap* Point = nullptr;
};
const TElHeaderBitmaps& ElHeaderBitmaps();

// Loads the header bitmaps and publishes TElHeader and its sections for form
// files. Programs list it after FormsUnit and ElACtrlsUnit.
extern const TUnitInfo ElHeaderUnit;
