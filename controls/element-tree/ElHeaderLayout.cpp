#include "ElHeaderLayout.hpp"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// width × numerator / denominator to the nearest integer, ties to the even
// one, never below 0. The product is formed first, so a true half stays an
// exact half and rounds the same on every machine.
int Rescaled(int width, double numerator, double denominator) {
  const double value = std::nearbyint(static_cast<double>(width) * numerator / denominator);
  if (!(value > 0)) return 0;
  return value >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

bool StartsWithHtml(const TElFString& text) {
  static const TElFString kTag = L"<html>";
  return text.size() >= kTag.size() && WideSameText(text.substr(0, kTag.size()), kTag);
}

// The fixed room of a section besides its text and image: the margins, the
// sort mark and, with an expand sign, lookup or filter button, that button.
constexpr int kBaseRoom = 10;
constexpr int kButtonRoom = 8;
constexpr int kSortMarkRoom = 12;
constexpr int kLeftMargin = 5;
constexpr int kButtonHeight = 17;
constexpr int kGrip = 5;
constexpr int kMinGripWidth = 14;

}  // namespace

// Marks the layout as inside its own sticky adjustment, so that widths it
// sets are not taken as a user's change; nests.
class TElHeaderLayout::AdjustScope {
 public:
  explicit AdjustScope(TElHeaderLayout& layout) : layout_(layout), saved_(layout.stickyAdjusting_) {
    layout_.stickyAdjusting_ = true;
  }
  ~AdjustScope() { layout_.stickyAdjusting_ = saved_; }
  AdjustScope(const AdjustScope&) = delete;
  AdjustScope& operator=(const AdjustScope&) = delete;

 private:
  TElHeaderLayout& layout_;
  bool saved_;
};

int TElHeaderLayout::Count() const { return sections_ ? sections_->Count() : 0; }

TElHeaderSection* TElHeaderLayout::At(int position) const { return sections_->GetSectionAt(position); }

// ---------------------------------------------------------------- updates

void TElHeaderLayout::EndUpdate() {
  if (updateCount_ == 0) return;
  if (--updateCount_ > 0) return;
  FirePending();
  host_.UpdateEnded();
}

void TElHeaderLayout::FirePending() {
  const bool created = createPending_, deleted = deletePending_;
  createPending_ = deletePending_ = false;
  if (host_.HeaderLoading() || host_.HeaderDestroying()) return;
  if (deleted) host_.SectionsDeleted();
  if (created) host_.SectionsCreated();
}

// ---------------------------------------------------------------- geometry

TRect TElHeaderLayout::SectionClientRect(const TElHeaderSection* section) const {
  const int left = section->Left();
  const int right = section->Right();
  const int shift = section == leftFixedSection_ ? 0 : leftOffset_;
  return TRect{left - shift, 0, right - shift, host_.HeaderHeight()};
}

TRect TElHeaderLayout::SectionRect(int position) const {
  if (position < 0 || position >= Count()) throw EElHeaderError("Index out of bounds");
  const TElHeaderSection* section = At(position);
  TRect r = SectionClientRect(section);
  r.left += leftOffset_;
  r.right += leftOffset_;
  return r;
}

int TElHeaderLayout::SectionsWidth() const {
  for (int i = Count() - 1; i >= 0; --i) {
    const TElHeaderSection* s = At(i);
    if (!s->Visible()) continue;
    if (s == leftFixedSection_ && Count() > 1) continue;
    return s->Right();
  }
  return 0;
}

TElHeaderSection* TElHeaderLayout::SectionAtPoint(int x, int y) const {
  if (y < 0 || y > host_.HeaderHeight()) return nullptr;
  TElHeaderSection* fixed = leftFixedSection_;
  if (fixed && fixed->Visible() && x >= 0 && x < fixed->Width()) return fixed;
  int sum = 0;
  for (int i = 0; i < Count(); ++i) {
    TElHeaderSection* s = At(i);
    if (!s->Visible()) continue;
    sum += s->Width();
    if (sum > x + leftOffset_) return s;
  }
  return nullptr;
}

TElHeaderSection* TElHeaderLayout::IsOnResizeGrip(int x) const {
  auto wideEnough = [](const TElHeaderSection* s) { return s && s->Width() > kMinGripWidth; };
  TElHeaderSection* s = SectionAtPoint(x, 0);
  if (s) {
    if (!wideEnough(s)) return nullptr;
    const TRect r = SectionClientRect(s);
    if (x >= r.right - kGrip) return s;
    if (x < r.left + kGrip) {
      TElHeaderSection* previous = sections_->PrevVisible(s);
      return wideEnough(previous) ? previous : nullptr;
    }
    return nullptr;
  }
  TElHeaderSection* last = sections_ ? sections_->LastVisible() : nullptr;
  if (!wideEnough(last)) return nullptr;
  const TRect r = SectionClientRect(last);
  return x >= r.right && x < r.right + kGrip ? last : nullptr;
}

TElHeaderHitKind TElHeaderLayout::ButtonAt(const TElHeaderSection* section, int x, int y) const {
  const TRect rect = SectionClientRect(section);
  if (rect.right - rect.left <= kMinGripWidth) return hhkBody;
  const int r = rect.right - 4;
  auto within = [](int value, int lo, int hi) { return value >= lo && value <= hi; };
  if (section->Expandable() && within(x, r - 7, r) && within(y, 2, 9)) return hhkExpandSign;
  if (section->LookupEnabled() && section != leftFixedSection_ && within(x, r - 7, r) && within(y, 12, 16))
    return hhkLookupButton;
  if (section->FilterEnabled() && within(x, r - 6, r) && within(y, 12, 16)) return hhkFilterButton;
  return hhkBody;
}

TElHeaderSection* TElHeaderLayout::HitTest(int x, int y, TElHeaderHitKind& kind) const {
  if (TElHeaderSection* grip = IsOnResizeGrip(x)) {
    kind = hhkResizeGrip;
    return grip;
  }
  TElHeaderSection* s = SectionAtPoint(x, y);
  if (s) kind = ButtonAt(s, x, y);
  return s;
}

bool TElHeaderLayout::DragThresholdReached(POINT press, POINT pointer) {
  const long dx = pointer.x - press.x, dy = pointer.y - press.y;
  return dx * dx + dy * dy >= 25;
}

bool TElHeaderLayout::HasImages() const {
  const SIZE size = measurer_.ImageSize();
  return size.cx > 0 && size.cy > 0;
}

int TElHeaderLayout::ShownImage(TElHeaderSection* section) const {
  int index = section->ImageIndex();
  if (index == -1) host_.PictureNeeded(section, index);
  return index;
}

TElSectionMeasure TElHeaderLayout::MeasureSection(TElHeaderSection* section) const {
  TElSectionMeasure m;
  int width = kBaseRoom;
  if (section->Expandable() || section->LookupEnabled() || section->FilterEnabled()) width += kButtonRoom;
  width += kSortMarkRoom + kLeftMargin;
  if (section->Style() == ElhsOwnerDraw) {
    int size = 0;
    host_.MeasureOwnerDrawn(section, size);
    width += size;
  } else {
    if (HasImages() && ShownImage(section) >= 0) width += measurer_.ImageSize().cx;
    if (section->Style() != ElhsPictureOnly) {
      const int wrapWidth = wrapCaptions_ ? std::max(section->Width() - width, 1) : 0;
      const SIZE text = measurer_.SectionTextSize(section->Text(), StartsWithHtml(section->Text()), wrapWidth);
      m.TextWidth = text.cx;
      m.TextHeight = text.cy;
      width += text.cx;
    }
  }
  m.Width = std::max(width, section->MinWidth());
  return m;
}

int TElHeaderLayout::IdealHeight() const {
  int textHeight = 0;
  for (int i = 0; i < Count(); ++i) {
    TElHeaderSection* s = At(i);
    if (s->Visible() && s->Style() == ElhsText) textHeight = std::max(textHeight, MeasureSection(s).TextHeight);
  }
  int height = std::max(kButtonHeight, textHeight + 4);
  if (HasImages()) height = std::max(height, static_cast<int>(measurer_.ImageSize().cy) + 4);
  if (!flat_) height += 2;
  return height;
}

void TElHeaderLayout::UpdateHeight() {
  if (lockHeight_ || host_.HeaderLoading()) return;
  const int ideal = IdealHeight();
  if (ideal != host_.HeaderHeight()) host_.SetHeaderHeight(ideal);
}

void TElHeaderLayout::RaiseForButtons() {
  const int height = host_.HeaderHeight();
  if (height > 0 && height < kButtonHeight) host_.SetHeaderHeight(kButtonHeight);
}

// ---------------------------------------------------------------- sticky sections

void TElHeaderLayout::SetStickySections(bool value) {
  if (stickySections_ == value) return;
  stickySections_ = value;
  if (value && !host_.HeaderLoading() && !Restoring()) ComputeShares();
}

bool TElHeaderLayout::StickyActive() const {
  return stickySections_ && !stickyAdjusting_ && !Restoring() && !host_.HeaderLoading();
}

int TElHeaderLayout::FixedSectionsWidth() const {
  int width = 0;
  for (int i = 0; i < Count(); ++i) {
    const TElHeaderSection* s = At(i);
    if (s->Visible() && !s->Resizable()) width += s->Width();
  }
  return width;
}

void TElHeaderLayout::ComputeShares() {
  int available = host_.HeaderWidth() - FixedSectionsWidth();
  // A header taken up by fixed sections gives its others no room at all;
  // their shares are then their widths.
  if (available <= 0) available = 1;
  for (int i = 0; i < Count(); ++i) {
    TElHeaderSection* s = At(i);
    if (s->Visible() && s->Resizable()) s->widthShare_ = static_cast<float>(s->Width()) / static_cast<float>(available);
  }
}

void TElHeaderLayout::HeaderResized() {
  const int clientWidth = host_.HeaderClientWidth();
  const bool grew = lastClientWidth_ >= 0 && clientWidth > lastClientWidth_;
  const int growth = grew ? clientWidth - lastClientWidth_ : 0;
  lastClientWidth_ = clientWidth;
  if (!stickySections_ || host_.HeaderLoading() || Restoring()) return;
  AdjustScope scope(*this);
  int room = growth;
  for (int i = 0; i < Count() && room > 0; ++i) {
    TElHeaderSection* s = At(i);
    if (!s->Visible() || s->Resizable() || s->fixedWidth_ < 0) continue;
    const int take = std::min(room, s->fixedWidth_ - s->width_);
    if (take > 0) {
      s->width_ += take;
      room -= take;
    }
    if (s->width_ >= s->fixedWidth_) s->fixedWidth_ = -1;
  }
  const int available = host_.HeaderWidth() - FixedSectionsWidth();
  for (int i = 0; i < Count(); ++i) {
    TElHeaderSection* s = At(i);
    if (s->Visible() && s->Resizable()) s->width_ = Rescaled(available, s->widthShare_, 1.0);
  }
  FitSections(nullptr);
}

void TElHeaderLayout::FitSections(TElHeaderSection* except) {
  const int clientWidth = host_.HeaderClientWidth();
  if (clientWidth <= 0 || Count() == 0) return;
  AdjustScope scope(*this);
  // Too wide: the resizable sections give way from the right, then the
  // others, which remember the width they had.
  for (bool resizable : {true, false}) {
    for (int i = Count() - 1; i >= 0 && SectionsWidth() >= clientWidth; --i) {
      TElHeaderSection* s = At(i);
      if (s == except || !s->Visible() || s->Resizable() != resizable || s->width_ <= 0) continue;
      if (!resizable && s->fixedWidth_ < 0) s->fixedWidth_ = s->width_;
      s->width_ = std::max(0, s->width_ - (SectionsWidth() - clientWidth + 1));
    }
  }
  // Room to spare: shrunk fixed sections grow back first.
  for (int i = 0; i < Count() && SectionsWidth() < clientWidth - 1; ++i) {
    TElHeaderSection* s = At(i);
    if (s == except || !s->Visible() || s->Resizable() || s->fixedWidth_ < 0) continue;
    s->width_ += std::max(0, std::min(s->fixedWidth_ - s->width_, clientWidth - 1 - SectionsWidth()));
    if (s->width_ >= s->fixedWidth_) s->fixedWidth_ = -1;
  }
  for (int i = Count() - 1; i >= 0; --i) {
    TElHeaderSection* s = At(i);
    if (s == except || !s->Visible() || !s->Resizable()) continue;
    s->width_ = std::max(0, s->width_ + clientWidth - 1 - SectionsWidth());
    break;
  }
}

bool TElHeaderLayout::IsLastVisible(const TElHeaderSection* section) const {
  return sections_->LastVisible() == section;
}

void TElHeaderLayout::StickyWidth(TElHeaderSection* section, int width) {
  {
    AdjustScope scope(*this);
    if (!IsLastVisible(section)) {
      const int h = host_.HeaderWidth(), l = section->Left();
      int divisor = h - l - section->width_;
      TElHeaderSection* lastRescaled = nullptr;
      // A section reaching past the header's edge leaves the others alone;
      // one ending exactly at it divides by 1.
      if (divisor >= 0) {
        if (divisor == 0) divisor = 1;
        for (int i = section->Position() + 1; i < Count(); ++i) {
          TElHeaderSection* s = At(i);
          if (!s->Resizable() || !s->Visible()) continue;
          s->width_ = Rescaled(s->width_, h - l - width, divisor);
          lastRescaled = s;
        }
      }
      section->width_ = width;
      const int gap = h - SectionsWidth();
      if (lastRescaled && gap > 0) lastRescaled->width_ += gap;
      FitSections(section);
    }
    ComputeShares();
  }
  host_.RepaintFrom(section);
}

void TElHeaderLayout::StickyVisible(TElHeaderSection* section, bool visible) {
  AdjustScope scope(*this);
  const int position = section->Position();
  bool anyAfter = false;
  for (int i = position + 1; i < Count() && !anyAfter; ++i) anyAfter = At(i)->Visible();
  // The sections after the section make or take its room; after the last
  // one, the sections before it do, over the span from the left edge.
  const int h = host_.HeaderWidth(), w = section->width_;
  const int l = anyAfter ? section->Left() : 0;
  const int numerator = visible ? h - l - w : h - l;
  const int divisor = visible ? h - l : h - l - w;
  if (divisor > 0) {
    const int from = anyAfter ? position + 1 : 0, to = anyAfter ? Count() : position;
    for (int i = from; i < to; ++i) {
      TElHeaderSection* s = At(i);
      if (s->Resizable() && s->Visible()) s->width_ = Rescaled(s->width_, numerator, divisor);
    }
  }
  section->storedVisible_ = visible;
  FitSections(section);
  ComputeShares();
}
