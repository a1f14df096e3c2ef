// TJPEGImage: JPEG pictures decoded by libjpeg. The compressed data is kept
// as loaded (it is what SaveToStream writes); the image is decoded into a
// bitmap on first use.
#pragma once

#include <memory>
#include <vector>

#include "Graphics.hpp"

// A decoding failure: "JPEG error #<libjpeg message code>".
CLASSLIB_EXCEPTION(EJPEG, EInvalidGraphic);

enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  void Assign(TPersistent* source) override;

  bool Empty() const override { return data_.empty(); }
  // The size of the decoded image, after Scale.
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // A JPEG image has the size it was encoded with; raises
  // EInvalidGraphicOperation.
  void SetWidth(int width) override;
  void SetHeight(int height) override;

  // Decode to shades of grey (an 8-bit bitmap with a grey palette).
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool value);
  // Decode at 1/1, 1/2, 1/4 or 1/8 of the size.
  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale scale);
  // jpBestSpeed uses the fast integer transform and plain upsampling.
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance performance);

  // Reads the stream to its end; the header is checked at once (EJPEG).
  void LoadFromStream(TStream* stream) override;
  // Writes the compressed data as loaded.
  void SaveToStream(TStream* stream) override;
  // Decodes now if not decoded yet; raises EJPEG on corrupt data.
  void DIBNeeded();

 protected:
  void Draw(TCanvas* canvas, const TRect& rect) override;
  // Converts into a TBitmap (24 bits, or 8 bits grey with Grayscale).
  void AssignTo(TPersistent* dest) override;
  // The picture "Data" form: a 32-bit length, then the JPEG file.
  void ReadData(TStream* stream) override;
  void WriteData(TStream* stream) override;

 private:
  void SetData(std::vector<Byte> data);
  void ReadHeader();
  void FreeBitmap();

  std::vector<Byte> data_;
  int width_ = 0;
  int height_ = 0;
  bool grayscale_ = false;
  TJPEGScale scale_ = jsFullSize;
  TJPEGPerformance performance_ = jpBestQuality;
  std::unique_ptr<TBitmap> bitmap_;
};
