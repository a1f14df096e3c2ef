// The header without its window: the settings its sections answer to, the
// update count with its deferred notifications, the geometry (where each
// section lies, what a point hits, the resize grips, how wide and high the
// header wants to be) and the sticky sections that keep filling its width.
// Text is measured through TElHeaderMeasurer and everything the header does
// in answer (events, repainting, its height) goes through TElHeaderHost, so
// that all of it runs in tests without a device. TCustomElHeader is the
// window around it.
#pragma once

#include <exception>

#include "ElHeaderSections.hpp"
#include "WinApi.hpp"

// Text extents and image sizes, in pixels.
class TElHeaderMeasurer {
 public:
  virtual ~TElHeaderMeasurer() = default;
  // A section's caption: HTML through the renderer, plain text on one line,
  // or wrapped within WrapWidth when it is positive.
  virtual SIZE SectionTextSize(const TElFString& text, bool html, int wrapWidth) = 0;
  // The image list's image size; {0, 0} without images.
  virtual SIZE ImageSize() = 0;
};

// What the header's layout asks of the control around it.
class TElHeaderHost {
 public:
  virtual ~TElHeaderHost() = default;

  // ---- geometry. The header width is what the sticky rules divide; the
  // client width is what the sections are fitted into.
  virtual int HeaderWidth() = 0;
  virtual int HeaderClientWidth() = 0;
  virtual int HeaderHeight() = 0;
  virtual void SetHeaderHeight(int height) = 0;

  // ---- state: the header (or its owner) is being read from a form, or
  // destroyed.
  virtual bool HeaderLoading() = 0;
  virtual bool HeaderDestroying() = 0;

  // ---- painting
  virtual void RepaintHeader() = 0;
  virtual void RepaintSection(TElHeaderSection* section) = 0;
  // The section and every section right of it.
  virtual void RepaintFrom(TElHeaderSection* section) = 0;
  // The view of the tree that owns the header, which paints its cells by
  // the sections' styles.
  virtual void RepaintOwnerView() = 0;

  // ---- events
  virtual void SectionChanged(TElHeaderSection* section, TSectionChangeMode change) = 0;
  virtual void SectionShownOrHidden(TElHeaderSection* section) = 0;
  // Fired once when the outermost update ends, for every creation or
  // deletion inside it.
  virtual void SectionsCreated() = 0;
  virtual void SectionsDeleted() = 0;
  virtual void SectionMoved(TElHeaderSection* section, int oldPosition, int newPosition) = 0;
  // A section is leaving the collection: forget every reference to it.
  virtual void SectionRemoving(TElHeaderSection* section) = 0;
  virtual void PictureNeeded(TElHeaderSection* section, int& imageIndex) = 0;
  // The width an owner-drawn section needs for its content.
  virtual void MeasureOwnerDrawn(TElHeaderSection* section, int& size) = 0;
  // A section took a popup menu: the host is told when the menu goes.
  virtual void WatchPopupMenu(TPopupMenu* menu) = 0;
  // The outermost update ended.
  virtual void UpdateEnded() = 0;
};

// What a point over the header hits (HitTest).
enum TElHeaderHitKind { hhkResizeGrip = 0, hhkBody = 1, hhkExpandSign = 2, hhkLookupButton = 3, hhkFilterButton = 4 };

// MeasureSection's answer.
struct TElSectionMeasure {
  int Width = 0;
  int TextWidth = 0;
  int TextHeight = 0;
};

class TElHeaderLayout {
 public:
  TElHeaderLayout(TElHeaderHost& host, TElHeaderMeasurer& measurer) : host_(host), measurer_(measurer) {}
  TElHeaderLayout(const TElHeaderLayout&) = delete;
  TElHeaderLayout& operator=(const TElHeaderLayout&) = delete;

  TElHeaderHost& Host() const { return host_; }
  TElHeaderMeasurer& Measurer() const { return measurer_; }
  // The collection made on this layout (nullptr before one is made).
  TElHeaderSections* Sections() const { return sections_; }

  // ---- settings
  int DefaultWidth() const { return defaultWidth_; }
  void SetDefaultWidth(int value) { defaultWidth_ = value; }
  bool KeepSortModes() const { return keepSortModes_; }
  void SetKeepSortModes(bool value) { keepSortModes_ = value; }
  bool Flat() const { return flat_; }
  void SetFlat(bool value) { flat_ = value; }
  bool WrapCaptions() const { return wrapCaptions_; }
  void SetWrapCaptions(bool value) { wrapCaptions_ = value; }
  bool LockHeight() const { return lockHeight_; }
  void SetLockHeight(bool value) { lockHeight_ = value; }
  // The section pinned at the left edge, which never scrolls.
  TElHeaderSection* LeftFixedSection() const { return leftFixedSection_; }
  void SetLeftFixedSection(TElHeaderSection* value) { leftFixedSection_ = value; }
  // The horizontal scroll offset of the other sections.
  int LeftOffset() const { return leftOffset_; }
  void SetLeftOffset(int value) { leftOffset_ = value; }

  // ---- updates. Creations and deletions inside an update are told once
  // when the outermost update ends (never while loading or destroying).
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  void NoteCreated() { createPending_ = true; }
  void NoteDeleted() { deletePending_ = true; }
  // Storage is being read back: the sticky rules stand aside.
  void BeginRestoring() { ++restoringCount_; }
  void EndRestoring() { --restoringCount_; }
  bool Restoring() const { return restoringCount_ > 0; }
  bool StickyAdjusting() const { return stickyAdjusting_; }

  // ---- geometry. Client coordinates: a scrolling section lies LeftOffset
  // further left than its Left; the left-fixed section lies at its Left.
  // This rectangle is what painting, hit testing and invalidation use.
  TRect SectionClientRect(const TElHeaderSection* section) const;
  // The section's span in unscrolled coordinates over the client height;
  // the left-fixed section's is moved right by LeftOffset. Raises
  // EElHeaderError "Index out of bounds" outside 0..Count - 1.
  TRect SectionRect(int position) const;
  // The right edge of the last visible section, not counting the left-fixed
  // section unless it is the only one; 0 when none is visible.
  int SectionsWidth() const;
  TElHeaderSection* SectionAtPoint(int x, int y) const;
  // The section whose resize grip lies under x: within 5 pixels inside its
  // right edge, or 5 pixels into the next section, or up to 5 pixels past the
  // last one. Sections 14 pixels wide or narrower have no grip.
  TElHeaderSection* IsOnResizeGrip(int x) const;
  TElHeaderSection* HitTest(int x, int y, TElHeaderHitKind& kind) const;
  // The button of the section under a point: the expand sign, the lookup or
  // the filter button, else the body. Sections 14 pixels wide or narrower
  // have no buttons to press.
  TElHeaderHitKind ButtonAt(const TElHeaderSection* section, int x, int y) const;
  // A press turns into a drag once the pointer is 5 pixels away.
  static bool DragThresholdReached(POINT press, POINT pointer);
  TElSectionMeasure MeasureSection(TElHeaderSection* section) const;
  int IdealHeight() const;
  // Gives the header its ideal height unless the height is locked or the
  // header is loading.
  void UpdateHeight();
  // Lookup and filter sections need 17 pixels: a lower header (but not one
  // of no height) is raised.
  void RaiseForButtons();

  // ---- sticky sections
  bool StickySections() const { return stickySections_; }
  // Turning it on (outside loading and restoring) takes every section's
  // share of the width.
  void SetStickySections(bool value);
  // Whether a change now follows the sticky rules.
  bool StickyActive() const;
  void ComputeShares();
  // The header was resized: shrunk non-resizable sections grow back when
  // it grew, the others take their shares, then the sections are fitted.
  void HeaderResized();
  // Shrinks or grows sections (never `except`) until they end one pixel
  // before the client edge. A header without client width is left alone.
  void FitSections(TElHeaderSection* except);
  // The sticky forms of the Width and Visible setters.
  void StickyWidth(TElHeaderSection* section, int width);
  void StickyVisible(TElHeaderSection* section, bool visible);

 private:
  friend class TElHeaderSections;
  class AdjustScope;
  int Count() const;
  TElHeaderSection* At(int position) const;
  // Widths of the visible sections that are not resizable.
  int FixedSectionsWidth() const;
  bool IsLastVisible(const TElHeaderSection* section) const;
  bool HasImages() const;
  int ShownImage(TElHeaderSection* section) const;
  void FirePending();

  TElHeaderHost& host_;
  TElHeaderMeasurer& measurer_;
  TElHeaderSections* sections_ = nullptr;
  int defaultWidth_ = 120;
  bool keepSortModes_ = false;
  bool flat_ = false;
  bool wrapCaptions_ = false;
  bool lockHeight_ = false;
  bool stickySections_ = false;
  TElHeaderSection* leftFixedSection_ = nullptr;
  int leftOffset_ = 0;
  int updateCount_ = 0;
  int restoringCount_ = 0;
  bool createPending_ = false;
  bool deletePending_ = false;
  bool stickyAdjusting_ = false;
  int lastClientWidth_ = -1;
};

// One update of the header around a change; the notifications it defers
// are told when the outermost update ends, also when the change raised
// (an exception from a handler then gives way to the one under way).
class TElHeaderUpdateScope {
 public:
  explicit TElHeaderUpdateScope(TElHeaderLayout& layout)
      : layout_(layout), exceptions_(std::uncaught_exceptions()) {
    layout_.BeginUpdate();
  }
  ~TElHeaderUpdateScope() noexcept(false) {
    if (std::uncaught_exceptions() == exceptions_) {
      layout_.EndUpdate();
      return;
    }
    try {
      layout_.EndUpdate();
    } catch (...) {
    }
  }
  TElHeaderUpdateScope(const TElHeaderUpdateScope&) = delete;
  TElHeaderUpdateScope& operator=(const TElHeaderUpdateScope&) = delete;

 private:
  TElHeaderLayout& layout_;
  int exceptions_;
};
