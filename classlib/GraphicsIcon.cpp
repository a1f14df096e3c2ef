// TIcon: icons from .ico streams and resources.
#include <utility>

#include "Graphics.hpp"
#include "GraphicsDib.hpp"

namespace {

constexpr std::size_t kIconDirSize = 6;
constexpr std::size_t kIconEntrySize = 16;

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic("Icon image is not valid"); }

std::uint32_t GetU32(const Byte* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t GetU16(const Byte* p) { return std::uint16_t(p[0] | p[1] << 8); }

struct IconEntry {
  int width, height;
  std::size_t offset, size;
};

// Picks the image of the system's icon size, else the first one.
IconEntry ChooseIconEntry(const std::vector<Byte>& data) {
  if (data.size() < kIconDirSize || GetU16(&data[0]) != 0 || GetU16(&data[2]) != 1) InvalidIcon();
  std::size_t count = GetU16(&data[4]);
  if (count == 0 || count > (data.size() - kIconDirSize) / kIconEntrySize) InvalidIcon();
  int want = GetSystemMetrics(SM_CXICON);
  IconEntry chosen{};
  for (std::size_t i = 0; i < count; ++i) {
    const Byte* e = &data[kIconDirSize + i * kIconEntrySize];
    IconEntry entry{e[0] ? e[0] : 256, e[1] ? e[1] : 256, GetU32(e + 12), GetU32(e + 8)};
    if (entry.offset > data.size() || entry.size > data.size() - entry.offset || entry.size < 40) InvalidIcon();
    if (i == 0 || entry.width == want) chosen = entry;
    if (entry.width == want) break;
  }
  return chosen;
}

}  // namespace

TIcon::TIcon() { TGraphic::SetTransparent(true); }

TIcon::~TIcon() {
  if (handle_) DestroyIcon(handle_);
}

void TIcon::Reset(HICON handle, int width, int height, std::vector<Byte> data) {
  if (handle_) DestroyIcon(handle_);
  handle_ = handle;
  width_ = handle ? width : 0;
  height_ = handle ? height : 0;
  data_ = std::move(data);
  Changed(this);
}

void TIcon::Assign(TPersistent* source) {
  if (!source) {
    Reset(nullptr, 0, 0, {});
  } else if (auto* icon = dynamic_cast<TIcon*>(source)) {
    if (icon == this) return;
    HICON copy = icon->handle_ ? CopyIcon(icon->handle_) : nullptr;
    Reset(copy, icon->width_, icon->height_, icon->data_);
  } else {
    TPersistent::Assign(source);
  }
}

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::SetHandle(HICON handle) {
  if (handle == handle_) return;
  int width = 0, height = 0;
  ICONINFO info{};
  if (handle && GetIconInfo(handle, &info)) {
    BITMAP bm{};
    GetObjectA(info.hbmMask, sizeof(bm), &bm);
    width = bm.bmWidth;
    // A monochrome icon's mask holds the AND and XOR halves.
    height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  Reset(handle, width, height, {});
}

HICON TIcon::ReleaseHandle() {
  HICON handle = std::exchange(handle_, nullptr);
  Reset(nullptr, 0, 0, {});
  return handle;
}

void TIcon::LoadFromStream(TStream* stream) {
  std::vector<Byte> data = ReadRestOfStream(stream);
  IconEntry entry = ChooseIconEntry(data);
  HICON icon = CreateIconFromResourceEx(&data[entry.offset], static_cast<DWORD>(entry.size), TRUE, 0x00030000,
                                        entry.width, entry.height, LR_DEFAULTCOLOR);
  if (!icon) InvalidIcon();
  Reset(icon, entry.width, entry.height, std::move(data));
}

void TIcon::SaveToStream(TStream* stream) {
  if (!handle_) return;
  if (data_.empty()) throw EInvalidGraphicOperation("Icon data is not available for saving");
  stream->WriteBuffer(data_.data(), static_cast<std::int32_t>(data_.size()));
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  auto icon = static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) throw EResNotFound("Resource " + name + " not found");
  SetHandle(icon);
}

void TIcon::Draw(TCanvas* canvas, const TRect& rect) {
  if (!handle_) return;
  DrawIconEx(canvas->Handle(), rect.left, rect.top, handle_, rect.right - rect.left, rect.bottom - rect.top, 0,
             nullptr, DI_NORMAL);
}
