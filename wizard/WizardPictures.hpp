// Pictures of the wizard's skin for the controls that have no PicResource
// of their own (plain images, the edit's background, button icons): copied
// from the kit's picture cache, which reads them from the program's
// resources.
#pragma once

#include <string>

#include "Graphics.hpp"

// A missing resource leaves the picture empty.
void LoadSkinPicture(TPicture* picture, const std::string& name);
void LoadSkinBitmap(TBitmap* bitmap, const std::string& name);
