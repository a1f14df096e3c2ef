#include "SBCropRegion.hpp"

#include <algorithm>
#include <vector>

namespace {

void SubtractRect(HRGN region, int left, int top, int right, int bottom) {
  HRGN cut = CreateRectRgn(left, top, right, bottom);
  CombineRgn(region, region, cut, RGN_DIFF);
  DeleteObject(cut);
}

// The crop-colour runs of a picture, one rectangle a run, each one row high.
using TRuns = std::vector<RECT>;

// Runs of the picture placed at (0, 0), appended to runs. A failure to read
// the pixels leaves the runs of the rows before it and raises.
void ScanCropColorRuns(TPicture* picture, TColor color, TRuns& runs) {
  if (PictureEmpty(picture)) return;
  const TColor rgb = ColorToRGB(color);
  const Byte red = Byte(rgb & 0xFF), green = Byte(rgb >> 8 & 0xFF), blue = Byte(rgb >> 16 & 0xFF);
  std::unique_ptr<TBitmap> bitmap = PictureAsBitmap(picture);
  GdiFlush();
  const int width = bitmap->Width(), height = bitmap->Height();
  for (int y = 0; y < height; ++y) {
    const Byte* row = static_cast<const Byte*>(bitmap->ScanLine(y));
    int runStart = -1;
    for (int x = 0; x < width; ++x) {
      const Byte* p = row + x * 3;
      const bool crop = p[0] == blue && p[1] == green && p[2] == red;
      if (crop && runStart < 0) {
        runStart = x;
      } else if (!crop && runStart >= 0) {
        runs.push_back(RECT{runStart, y, x, y + 1});
        runStart = -1;
      }
    }
    if (runStart >= 0) runs.push_back(RECT{runStart, y, width, y + 1});
  }
}

// Removes the runs, moved by (dx, dy), from the region: one region made of
// them all and one difference, rather than a difference a run. Where the
// system cannot make that region, run by run.
void SubtractRuns(HRGN region, const TRuns& runs, int dx, int dy) {
  if (runs.empty()) return;
  std::vector<Byte> buffer(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  RECT* rects = reinterpret_cast<RECT*>(data->Buffer);
  RECT bound{runs[0].left + dx, runs[0].top + dy, runs[0].right + dx, runs[0].bottom + dy};
  for (std::size_t i = 0; i < runs.size(); ++i) {
    rects[i] = RECT{runs[i].left + dx, runs[i].top + dy, runs[i].right + dx, runs[i].bottom + dy};
    bound.left = std::min(bound.left, rects[i].left);
    bound.top = std::min(bound.top, rects[i].top);
    bound.right = std::max(bound.right, rects[i].right);
    bound.bottom = std::max(bound.bottom, rects[i].bottom);
  }
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = DWORD(runs.size());
  data->rdh.nRgnSize = DWORD(runs.size() * sizeof(RECT));
  data->rdh.rcBound = bound;
  HRGN cut = ExtCreateRegion(nullptr, DWORD(buffer.size()), data);
  if (cut) {
    CombineRgn(region, region, cut, RGN_DIFF);
    DeleteObject(cut);
    return;
  }
  for (const RECT& r : runs) SubtractRect(region, r.left + dx, r.top + dy, r.right + dx, r.bottom + dy);
}

// The picture's runs repeated at each of the horizontal offsets.
TRuns RepeatedRuns(const TRuns& runs, int firstX, int lastX, int step) {
  TRuns all;
  for (int x = firstX; x < lastX; x += step)
    for (const RECT& r : runs) all.push_back(RECT{r.left + x, r.top, r.right + x, r.bottom});
  return all;
}

}  // namespace

bool PictureEmpty(const TPicture* picture) {
  return !picture || !picture->Graphic() || picture->Graphic()->Empty();
}

std::unique_ptr<TBitmap> PictureAsBitmap(TPicture* picture) {
  if (PictureEmpty(picture)) return nullptr;
  TGraphic* graphic = picture->Graphic();
  auto bitmap = std::make_unique<TBitmap>();
  if (auto* source = dynamic_cast<TBitmap*>(graphic)) {
    bitmap->Assign(source);
    bitmap->SetTransparent(false);
    bitmap->SetPixelFormat(pf24bit);
  } else {
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(graphic->Width(), graphic->Height());
    bitmap->Canvas()->Draw(0, 0, graphic);
  }
  return bitmap;
}

void SubtractCropColorRuns(TPicture* picture, TColor color, int dx, HRGN region, int dy,
                           TScanFailure failure) {
  TRuns runs;
  try {
    ScanCropColorRuns(picture, color, runs);
  } catch (...) {
    if (failure == TScanFailure::Raise) throw;
  }
  SubtractRuns(region, runs, dx, dy);
}

HRGN PictureCropRegion(int width, int height, TPicture* picture, TColor color,
                       TScanFailure failure) {
  HRGN region = CreateRectRgn(0, 0, width, height);
  try {
    SubtractCropColorRuns(picture, color, 0, region, 0, failure);
  } catch (...) {
    DeleteObject(region);
    throw;
  }
  return region;
}

bool TThreePictures::AllPresent() const {
  return !PictureEmpty(Left) && !PictureEmpty(Tile) && !PictureEmpty(Right);
}

TSize TThreePictures::Extent() const {
  int width = 0, height = 0;
  for (TPicture* p : {Left, Tile, Right}) {
    width += p->Width();
    height = std::max(height, p->Height());
  }
  return {width, height};
}

bool TThreePictures::AnyTransparent() const {
  for (TPicture* p : {Left, Tile, Right})
    if (p->Graphic() && p->Graphic()->Transparent()) return true;
  return false;
}

HRGN ThreePartCropRegion(int width, int height, const TThreePictures& p, TColor color) {
  HRGN region = CreateRectRgn(0, 0, width, height);
  try {
    const int leftWidth = PictureEmpty(p.Left) ? 0 : p.Left->Width();
    const int rightWidth = PictureEmpty(p.Right) ? 0 : p.Right->Width();
    SubtractCropColorRuns(p.Left, color, 0, region, 0);
    if (!PictureEmpty(p.Tile) && p.Tile->Width() > 0) {
      // The tile is scanned once, however often it repeats.
      TRuns tile;
      ScanCropColorRuns(p.Tile, color, tile);
      SubtractRuns(region, RepeatedRuns(tile, leftWidth, width - rightWidth, p.Tile->Width()), 0, 0);
      HRGN capArea = CreateRectRgn(width - rightWidth, 0, width, height);
      CombineRgn(region, region, capArea, RGN_OR);
      DeleteObject(capArea);
    }
    SubtractCropColorRuns(p.Right, color, width - rightWidth, region, 0);
  } catch (...) {
    DeleteObject(region);
    throw;
  }
  return region;
}

void SetControlRegion(TWinControl* control, HRGN region) {
  if (!control->HandleAllocated()) {
    DeleteObject(region);
    return;
  }
  if (!SetWindowRgn(control->Handle(), region, TRUE)) DeleteObject(region);
}

void ClearCropRegion(TWinControl* control) {
  if (control->HandleAllocated()) SetWindowRgn(control->Handle(), nullptr, TRUE);
}

bool TCropState::SetCropped(bool value) {
  if (value == cropped_) return false;
  cropped_ = value;
  regionValid_ = false;
  if (!value) ClearCropRegion(control_);
  SetControlOpaque(control_, !value);
  return true;
}

bool TCropState::SetTransparentCrop(bool value) {
  if (value == transparentCrop_) return false;
  transparentCrop_ = value;
  if (cropped_) {
    // Drawn transparent, the window is rectangular again; shaped, its
    // region is built at the next paint.
    if (value) ClearCropRegion(control_);
    else regionValid_ = false;
  }
  return true;
}

void TCropState::Apply() {
  SetControlRegion(control_, buildRegion_());
  regionValid_ = true;
}

void TCropState::Ensure() {
  if (ShapesWindow() && !regionValid_) Apply();
}

void TCropState::WindowCreated() {
  if (ShapesWindow()) Apply();
}

void SetControlOpaque(TControl* control, bool opaque) {
  TControlStyle style = control->ControlStyle();
  if (opaque) style.Include(csOpaque);
  else style.Exclude(csOpaque);
  control->SetControlStyle(style);
}

void SetPictureControlStyle(TControl* control) {
  TControlStyle style = control->ControlStyle();
  style.Exclude(csOpaque);
  style.Include(csAcceptsControls);
  style.Include(csReplicatable);
  control->SetControlStyle(style);
}
