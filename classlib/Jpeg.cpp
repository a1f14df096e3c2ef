// TJPEGImage over libjpeg.
#include "Jpeg.hpp"

#include <csetjmp>
#include <cstdio>
#include <string>
#include <utility>

#include "GraphicsDib.hpp"

// libjpeg's boolean is an int; the Windows headers may know another one.
#define boolean jpeg_boolean
#include <jpeglib.h>
#undef boolean

// --- libjpeg glue -------------------------------------------------------------
// Plain C-style code: libjpeg reports a fatal error through error_exit, which
// longjmps back to the setjmp of the function that called into the library.
// No object with a destructor lives in these frames, and no C++ exception
// passes through libjpeg; the callers raise EJPEG once libjpeg has returned.
namespace {

struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

// Warnings (a truncated file, say) are not printed; libjpeg carries on.
void JpegOutputMessage(j_common_ptr) {}

struct JpegRequest {
  const unsigned char* data;
  unsigned long size;
  unsigned scaleDenom;
  bool grayscale;
  bool fast;
};

struct JpegOutput {
  unsigned char* bits;  // bottom-up DIB rows, or nullptr to read the size only
  int stride;
  int width;
  int height;
};

void JpegSetUp(j_decompress_ptr cinfo, const JpegRequest* request) {
  jpeg_mem_src(cinfo, const_cast<unsigned char*>(request->data), request->size);
  jpeg_read_header(cinfo, TRUE);
  cinfo->scale_num = 1;
  cinfo->scale_denom = request->scaleDenom;
  cinfo->out_color_space = request->grayscale ? JCS_GRAYSCALE : JCS_EXT_BGR;
  if (request->fast) {
    cinfo->dct_method = JDCT_IFAST;
    cinfo->do_fancy_upsampling = FALSE;
  }
  jpeg_calc_output_dimensions(cinfo);
}

void JpegReadRows(j_decompress_ptr cinfo, const JpegOutput* out) {
  jpeg_start_decompress(cinfo);
  while (cinfo->output_scanline < cinfo->output_height) {
    int row = static_cast<int>(cinfo->output_scanline);
    JSAMPROW line = out->bits + static_cast<std::size_t>(out->height - 1 - row) * out->stride;
    jpeg_read_scanlines(cinfo, &line, 1);
  }
  jpeg_finish_decompress(cinfo);
}

// Returns 0, or libjpeg's message code of the failure. Fills out->width and
// out->height; decodes the rows when out->bits is set (the size must then be
// the one a previous call reported).
int JpegDecode(const JpegRequest* request, JpegOutput* out) {
  jpeg_decompress_struct cinfo;
  JpegErrorManager jerr;
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = JpegErrorExit;
  jerr.pub.output_message = JpegOutputMessage;
  if (setjmp(jerr.jump)) {
    int code = jerr.pub.msg_code;
    jpeg_destroy_decompress(&cinfo);
    return code != 0 ? code : -1;
  }
  jpeg_create_decompress(&cinfo);
  JpegSetUp(&cinfo, request);
  bool sizeMatches = out->width == static_cast<int>(cinfo.output_width) &&
                     out->height == static_cast<int>(cinfo.output_height);
  out->width = static_cast<int>(cinfo.output_width);
  out->height = static_cast<int>(cinfo.output_height);
  if (out->bits && sizeMatches) JpegReadRows(&cinfo, out);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

}  // namespace

// --- TJPEGImage -----------------------------------------------------------------

namespace {

[[noreturn]] void RaiseJpegError(int code) { throw EJPEG("JPEG error #" + std::to_string(code)); }

JpegRequest MakeRequest(const std::vector<Byte>& data, TJPEGScale scale, bool grayscale,
                        TJPEGPerformance performance) {
  return JpegRequest{data.data(), static_cast<unsigned long>(data.size()), 1u << scale, grayscale,
                     performance == jpBestSpeed};
}

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* source) {
  if (!source) {
    SetData({});
    return;
  }
  if (auto* jpeg = dynamic_cast<TJPEGImage*>(source)) {
    if (jpeg == this) return;
    grayscale_ = jpeg->grayscale_;
    scale_ = jpeg->scale_;
    performance_ = jpeg->performance_;
    SetData(jpeg->data_);
    return;
  }
  TPersistent::Assign(source);
}

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation("Unable to change the size of a JPEG image"); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation("Unable to change the size of a JPEG image"); }

void TJPEGImage::FreeBitmap() { bitmap_.reset(); }

void TJPEGImage::ReadHeader() {
  width_ = height_ = 0;
  if (data_.empty()) return;
  JpegRequest request = MakeRequest(data_, scale_, grayscale_, performance_);
  JpegOutput out{nullptr, 0, 0, 0};
  if (int code = JpegDecode(&request, &out)) RaiseJpegError(code);
  width_ = out.width;
  height_ = out.height;
}

void TJPEGImage::SetData(std::vector<Byte> data) {
  FreeBitmap();
  data_ = std::move(data);
  try {
    ReadHeader();
  } catch (...) {
    data_.clear();
    width_ = height_ = 0;
    throw;
  }
  Changed(this);
}

void TJPEGImage::SetGrayscale(bool value) {
  if (value == grayscale_) return;
  grayscale_ = value;
  FreeBitmap();
  Changed(this);
}

void TJPEGImage::SetScale(TJPEGScale scale) {
  if (scale == scale_) return;
  scale_ = scale;
  FreeBitmap();
  ReadHeader();
  Changed(this);
}

void TJPEGImage::SetPerformance(TJPEGPerformance performance) {
  if (performance == performance_) return;
  performance_ = performance;
  FreeBitmap();
  Changed(this);
}

void TJPEGImage::LoadFromStream(TStream* stream) { SetData(ReadRestOfStream(stream)); }

void TJPEGImage::SaveToStream(TStream* stream) {
  if (!data_.empty()) stream->WriteBuffer(data_.data(), static_cast<std::int32_t>(data_.size()));
}

void TJPEGImage::ReadData(TStream* stream) {
  std::int32_t size = 0;
  stream->ReadBuffer(&size, sizeof(size));
  if (size < 0 || size > stream->Size() - stream->Position()) throw EReadError("Stream read error");
  std::vector<Byte> data(static_cast<std::size_t>(size));
  if (size > 0) stream->ReadBuffer(data.data(), size);
  SetData(std::move(data));
}

void TJPEGImage::WriteData(TStream* stream) {
  auto size = static_cast<std::int32_t>(data_.size());
  stream->WriteBuffer(&size, sizeof(size));
  if (size > 0) stream->WriteBuffer(data_.data(), size);
}

void TJPEGImage::DIBNeeded() {
  if (bitmap_ || data_.empty()) return;
  TPixelFormat format = grayscale_ ? pf8bit : pf24bit;
  std::vector<RGBQUAD> grays;
  if (grayscale_)
    for (int i = 0; i < 256; ++i) grays.push_back(RGBQUAD{Byte(i), Byte(i), Byte(i), 0});
  DibInfo info = MakeDibInfo(format, width_, height_, grays);
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(nullptr, info.Get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!image) throw EOutOfResources("Out of system resources");
  JpegRequest request = MakeRequest(data_, scale_, grayscale_, performance_);
  JpegOutput out{static_cast<unsigned char*>(bits), DibStride(width_, PixelFormatBits(format)), width_, height_};
  if (int code = JpegDecode(&request, &out)) {
    DeleteObject(image);
    RaiseJpegError(code);
  }
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetHandle(image);
  bitmap_ = std::move(bitmap);
}

void TJPEGImage::Draw(TCanvas* canvas, const TRect& rect) {
  DIBNeeded();
  if (bitmap_) canvas->StretchDraw(rect, bitmap_.get());
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
    DIBNeeded();
    bitmap->Assign(bitmap_.get());
    return;
  }
  TPersistent::AssignTo(dest);
}
