// The picture cache by resource name. A kit control whose PicResource names
// a resource takes its pictures from the program's module: bitmap, PNG
// (raw data) or JPEG (raw data), tried in that order, with one shared copy
// of each name for the whole run.
#pragma once

#include <memory>
#include <string>

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

// How a kit control holds its pictures. Own pictures are the control's;
// with a resource name they are the cache's shared pictures, which the
// control must neither free nor write into.
enum class TPictureOwnership { Own, Shared };

// The PicResource rules for one picture slot: switching from own pictures
// frees the own one; a new name takes the shared picture of the derived
// names; an empty name makes an own copy of the shared picture shown so far.
void SwitchPictureResource(TPicture*& picture, TPictureOwnership from, const std::string& newName,
                           const std::string& name, const std::string& fallbackName);
