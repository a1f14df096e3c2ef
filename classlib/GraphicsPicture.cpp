// TPicture and the registry of graphic classes.
#include <algorithm>
#include <cctype>
#include <utility>

#include "Graphics.hpp"
#include "Jpeg.hpp"
#include "Streaming.hpp"

namespace {

struct FileFormat {
  std::string extension;  // lower case, no dot
  std::string description;
  TClass graphicClass;
};

std::string LowerAscii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool SameAsciiText(const std::string& a, const std::string& b) { return LowerAscii(a) == LowerAscii(b); }

// The formats every program knows; units with more formats register them at
// their start-up.
std::vector<FileFormat>& FileFormats() {
  static std::vector<FileFormat> formats = {
      {"bmp", "Bitmaps", ClassOf<TBitmap>()},
      {"ico", "Icons", ClassOf<TIcon>()},
      {"jpeg", "JPEG Image File", ClassOf<TJPEGImage>()},
      {"jpg", "JPEG Image File", ClassOf<TJPEGImage>()},
  };
  return formats;
}

std::string ExtensionOf(const std::string& fileName) {
  std::size_t dot = fileName.find_last_of('.');
  std::size_t sep = fileName.find_last_of("\\/:");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
  return fileName.substr(dot + 1);
}

TGraphic* NewGraphic(TClass cls) {
  TObject* object = cls && cls->Create ? cls->Create() : nullptr;
  auto* graphic = dynamic_cast<TGraphic*>(object);
  if (!graphic) {
    if (object) object->Free();
    throw EInvalidGraphic("Invalid graphic class " + (cls ? cls->Name : std::string("(nil)")));
  }
  return graphic;
}

}  // namespace

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TClass graphicClass) {
  std::string ext = LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  FileFormats().push_back({ext, description, graphicClass});
}

void TPicture::UnregisterGraphicClass(TClass graphicClass) {
  auto& formats = FileFormats();
  formats.erase(std::remove_if(formats.begin(), formats.end(),
                               [&](const FileFormat& f) { return f.graphicClass == graphicClass; }),
                formats.end());
}

TClass TPicture::FindGraphicClassByExtension(const std::string& extension) {
  std::string ext = LowerAscii(extension);
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  const auto& formats = FileFormats();
  for (auto it = formats.rbegin(); it != formats.rend(); ++it)
    if (it->extension == ext) return it->graphicClass;
  return nullptr;
}

TClass TPicture::FindGraphicClassByName(const std::string& className) {
  const auto& formats = FileFormats();
  for (auto it = formats.rbegin(); it != formats.rend(); ++it)
    if (SameAsciiText(it->graphicClass->Name, className)) return it->graphicClass;
  return nullptr;
}

// --- TPicture ---------------------------------------------------------------

TPicture::TPicture() = default;

TPicture::~TPicture() {
  if (graphic_) graphic_->Free();
}

void TPicture::ReplaceGraphic(TGraphic* graphic) {
  TGraphic* old = std::exchange(graphic_, graphic);
  if (graphic_) graphic_->OnChange = MakeEvent(this, &TPicture::Changed);
  if (old) old->Free();
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* graphic) {
  if (graphic == graphic_) return;
  if (!graphic) {
    ReplaceGraphic(nullptr);
    return;
  }
  // The copy is made through the registry, so the class must be registered.
  TClass cls = FindGraphicClassByName(graphic->ClassName());
  if (!cls) throw EInvalidGraphic("Unknown picture format " + graphic->ClassName());
  TGraphic* copy = NewGraphic(cls);
  try {
    copy->Assign(graphic);
  } catch (...) {
    copy->Free();
    throw;
  }
  ReplaceGraphic(copy);
}

void TPicture::Changed(TObject*) {
  rendered_.reset();
  OnChange(this);
}

TBitmap* TPicture::Bitmap() {
  if (!graphic_) {
    auto* bitmap = new TBitmap();
    ReplaceGraphic(bitmap);
    return bitmap;
  }
  if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_)) return bitmap;
  if (!rendered_) {
    auto rendered = std::make_unique<TBitmap>();
    try {
      rendered->Assign(graphic_);
    } catch (const EConvertError&) {
      // A class that cannot convert itself is drawn on white.
      rendered->SetPixelFormat(pf24bit);
      rendered->SetSize(graphic_->Width(), graphic_->Height());
      rendered->Canvas()->Draw(0, 0, graphic_);
    }
    rendered_ = std::move(rendered);
  }
  return rendered_.get();
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* picture = dynamic_cast<TPicture*>(source)) {
    SetGraphic(picture->graphic_);
  } else if (auto* graphic = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(graphic);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) {
  if (auto* graphic = dynamic_cast<TGraphic*>(dest)) {
    graphic->Assign(graphic_);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::LoadFromFile(const std::string& fileName) {
  std::string ext = ExtensionOf(fileName);
  TClass cls = FindGraphicClassByExtension(ext);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  TGraphic* graphic = NewGraphic(cls);
  try {
    graphic->LoadFromFile(fileName);
  } catch (...) {
    graphic->Free();
    throw;
  }
  ReplaceGraphic(graphic);
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::ReadData(TStream* stream) {
  Byte length = 0;
  stream->ReadBuffer(&length, 1);
  std::string name(length, '\0');
  if (length) stream->ReadBuffer(name.data(), length);
  if (name.empty()) {
    ReplaceGraphic(nullptr);
    return;
  }
  TClass cls = FindGraphicClassByName(name);
  if (!cls) throw EInvalidGraphic("Unknown picture format " + name);
  TGraphic* graphic = NewGraphic(cls);
  try {
    graphic->ReadData(stream);
  } catch (...) {
    graphic->Free();
    throw;
  }
  ReplaceGraphic(graphic);
}

void TPicture::WriteData(TStream* stream) {
  std::string name = graphic_ ? graphic_->ClassName() : std::string();
  if (name.size() > 255) throw EInvalidGraphicOperation("Class name too long: " + name);
  Byte length = static_cast<Byte>(name.size());
  stream->WriteBuffer(&length, 1);
  if (length) stream->WriteBuffer(name.data(), length);
  if (graphic_) graphic_->WriteData(stream);
}

void TGraphic::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      "Data", [this](TStream* stream) { ReadData(stream); }, [this](TStream* stream) { WriteData(stream); }, !Empty());
}

void TPicture::DefineProperties(TFiler* filer) {
  filer->DefineBinaryProperty(
      "Data", [this](TStream* stream) { ReadData(stream); }, [this](TStream* stream) { WriteData(stream); },
      graphic_ != nullptr);
}
