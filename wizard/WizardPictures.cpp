#include "WizardPictures.hpp"

#include "SBResourceStorage.hpp"

void LoadSkinPicture(TPicture* picture, const std::string& name) {
  TPicture* shared = GetSharedPicture(name, "");
  if (shared) picture->Assign(shared);
}

void LoadSkinBitmap(TBitmap* bitmap, const std::string& name) {
  TPicture* shared = GetSharedPicture(name, "");
  if (!shared || !shared->Graphic()) return;
  bitmap->Assign(shared->Graphic());
}
