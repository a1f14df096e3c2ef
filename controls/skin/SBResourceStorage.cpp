#include "SBResourceStorage.hpp"

#include "SysUtils.hpp"

namespace {

TResourceStorage* g_storage = nullptr;

// Loads a graphic of class G from the resource name, then from the fallback.
template <class G, class LoadFn>
G* LoadWithFallback(const std::string& name, const std::string& fallbackName, LoadFn load) {
  auto graphic = std::make_unique<G>();
  for (const std::string* n : {&name, &fallbackName}) {
    if (n->empty()) continue;
    try {
      load(*graphic, *n);
      return graphic.release();
    } catch (...) {
      // The next name, or nothing.
    }
  }
  return nullptr;
}

// The first graphic that loads, bitmap, PNG, then JPEG, assigned into a new
// picture; an empty picture when none does.
TPicture* LoadPicture(const std::string& name, const std::string& fallbackName) {
  auto picture = std::make_unique<TPicture>();
  std::unique_ptr<TGraphic> graphic(LoadBitmapResource(name, fallbackName));
  if (!graphic) graphic.reset(LoadPngResource(name, fallbackName));
  if (!graphic) graphic.reset(LoadJpegResource(name, fallbackName));
  if (graphic) picture->SetGraphic(graphic.get());
  return picture.release();
}

TResourceStorage* Storage() {
  if (!g_storage) g_storage = new TResourceStorage();
  return g_storage;
}

void DoneResourceStorage() { FreeAndNil(g_storage); }

}  // namespace

const TUnitInfo SBResourceStorageUnit{"SBResourceStorage", nullptr, &DoneResourceStorage};

TResourceStorage::TResourceStorage() = default;
TResourceStorage::~TResourceStorage() = default;

TPicture* TResourceStorage::Find(const std::string& name) {
  int index = names_.IndexOf(name);
  return index < 0 ? nullptr : static_cast<TPicture*>(pictures_.Items(index));
}

void TResourceStorage::Add(const std::string& name, TPicture* picture) {
  names_.Add(name);
  pictures_.Add(picture);
}

TResourceStorage* ResourceStorage() { return g_storage; }

TPicture* GetSharedPicture(const std::string& name, const std::string& fallbackName) {
  TResourceStorage* storage = Storage();
  if (TPicture* hit = storage->Find(name)) return hit;
  std::unique_ptr<TPicture> picture(LoadPicture(name, fallbackName));
  storage->Add(name, picture.get());
  return picture.release();
}

TPicture* GetPictureCopy(const std::string& name, const std::string& fallbackName) {
  if (TPicture* hit = Storage()->Find(name)) return CopyPicture(hit);
  return LoadPicture(name, fallbackName);
}

TBitmap* LoadBitmapResource(const std::string& name, const std::string& fallbackName) {
  return LoadWithFallback<TBitmap>(name, fallbackName, [](TBitmap& b, const std::string& n) {
    b.LoadFromResourceName(HInstance, n);
  });
}

TPNGObject* LoadPngResource(const std::string& name, const std::string& fallbackName) {
  return LoadWithFallback<TPNGObject>(name, fallbackName, [](TPNGObject& p, const std::string& n) {
    p.LoadFromResourceName(HInstance, n);
  });
}

TJPEGImage* LoadJpegResource(const std::string& name, const std::string& fallbackName) {
  return LoadWithFallback<TJPEGImage>(name, fallbackName, [](TJPEGImage& j, const std::string& n) {
    TResourceStream stream(HInstance, n, MAKEINTRESOURCEA(10));  // RT_RCDATA
    j.LoadFromStream(&stream);
  });
}

TPicture* CopyPicture(TPicture* picture) {
  auto copy = std::make_unique<TPicture>();
  if (picture) copy->Assign(picture);
  return copy.release();
}

void SwitchPictureResource(TPicture*& picture, TPictureOwnership from, const std::string& newName,
                           const std::string& name, const std::string& fallbackName) {
  if (from == TPictureOwnership::Own) {
    FreeAndNil(picture);
  }
  if (!newName.empty()) {
    picture = GetSharedPicture(name, fallbackName);
  } else {
    picture = CopyPicture(picture);
  }
}
