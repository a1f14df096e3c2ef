// The picture cache by resource name. A kit control whose PicResource names
// a resource takes its pictures from the program's module: bitmap, PNG
// (raw data) or JPEG (raw data), tried in that order, with one shared copy
// of each name for the whole run.
#pragma once

#include <memory>
#include <initializer_list>
#include <string>
#include <vector>

#include "Classes.hpp"
#include "Contnrs.hpp"
#include "Graphics.hpp"
#include "Jpeg.hpp"
#include "pngimage.hpp"

// The cache: names in insertion order (looked up without regard to case)
// and the picture of each name at the same index. A name that loaded
// nothing keeps an empty picture, so it is never looked up again.
class TResourceStorage : public TObject {
 public:
  TResourceStorage();
  ~TResourceStorage() override;

  TStringList* Names() { return &names_; }
  TObjectList* Pictures() { return &pictures_; }
  TPicture* Find(const std::string& name);
  void Add(const std::string& name, TPicture* picture);

 private:
  TStringList names_;
  TObjectList pictures_{true};
};

// The cache, created on first use; nullptr before that and after the
// unit's end.
TResourceStorage* ResourceStorage();

// The cached picture of Name, loaded and cached on a miss (FallbackName is
// tried when Name loads nothing). It belongs to the cache: never free or
// change it.
TPicture* GetSharedPicture(const std::string& name, const std::string& fallbackName);
// A picture the caller owns: a copy of the cached one, or on a miss a
// freshly loaded one that is not cached.
TPicture* GetPictureCopy(const std::string& name, const std::string& fallbackName);

// The loaders: the graphic from the module resource Name, else from
// FallbackName when not empty, else nullptr. Nothing they raise escapes.
TBitmap* LoadBitmapResource(const std::string& name, const std::string& fallbackName);
TPNGObject* LoadPngResource(const std::string& name, const std::string& fallbackName);
TJPEGImage* LoadJpegResource(const std::string& name, const std::string& fallbackName);

// A new picture assigned from the given one (nullptr gives an empty one).
TPicture* CopyPicture(TPicture* picture);

// Frees the cache with every picture in it at the end.
extern const TUnitInfo SBResourceStorageUnit;

// The pictures of one kit control and the PicResource they come from.
// While the name is empty the pictures are the control's own, each wired to
// the control's change handler. With a name each picture is the cache's
// shared picture of its derived name (the name plus the slot's suffix, else
// plus its fallback suffix), which the control must neither change nor
// free; it is not wired either, since every control showing it would claim
// its one change event.
class TSkinPictures {
 public:
  // One picture: the suffix of its derived name, and the suffix tried when
  // that loads nothing (nullptr: none).
  struct TSlot {
    const char* Suffix;
    const char* FallbackSuffix = nullptr;
  };
  TSkinPictures(std::initializer_list<TSlot> slots, const TNotifyEvent& onChange);
  // Frees the pictures while they are the control's own.
  ~TSkinPictures();
  TSkinPictures(const TSkinPictures&) = delete;
  TSkinPictures& operator=(const TSkinPictures&) = delete;

  TPicture* operator[](std::size_t index) const { return pictures_[index]; }
  const std::string& Resource() const { return resource_; }
  bool Own() const { return resource_.empty(); }
  // The PicResource rules: own pictures are freed for the shared ones of a
  // new name; an empty name makes own copies of the shared pictures shown
  // so far. False when the name is the current one.
  bool SetResource(const std::string& name);
  // Assigns into an own picture; false, changing nothing, while shared.
  bool Assign(std::size_t index, TPicture* value);

 private:
  std::vector<TSlot> slots_;
  std::vector<TPicture*> pictures_;
  std::string resource_;
  TNotifyEvent onChange_;
};
