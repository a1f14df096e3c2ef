// pngbench: times the kit's PNG decoder against libpng and libspng on the
// same files, in the same process, and checks that all give the same pixels.
//
//   pngbench.exe [--runs N] [--plain] FOLDER     files named in FOLDER/images.txt
//   pngbench.exe [--runs N] [--plain] FILE...
//
// --plain turns the codec's SSE2 forms off: its plain loops are timed, as on a
// processor without SSE2.
//
// Each file is read into memory first, so only decoding is timed. Each
// decoder gets the best of N runs (default 5), the three taking turns; the
// median of each turn's ratio to libpng is printed too, and the times zlib and
// libdeflate alone take to inflate the image data: the floor of both
// decoders on large images (the codec streams them through zlib as libpng
// does), and what the codec's one-call inflate of small images would take
// here. A file on which
// the decoders give different pixels is reported as a MISMATCH, and the
// program then exits with 1.
//
// Both decode to what the codec keeps in memory, as near as libpng can:
// libpng reads native samples with 16-bit samples cut to their high byte
// (png_set_strip_16), colour samples in blue, green, red order
// (png_set_bgr) and Adam7 passes merged (png_set_interlace_handling), into
// one unzeroed buffer; palette and gray images stay indexes and levels.
// libspng, which has neither the blue-first order nor a cut of 16-bit samples
// in the file's own layout, decodes 8-bit images as the file holds them
// (SPNG_FMT_PNG) and 16-bit ones to 8-bit RGB or RGBA, into one unzeroed
// buffer. Files of 8 and 16 bits per sample are compared. The codec builds its bottom-up bitmap (gray and palette as indexes, colour
// as blue, green, red) with alpha in a plane of its own.
#include <libdeflate.h>
#include <png.h>
#include <zlib.h>
#define SPNG_STATIC
#include <spng.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Classes.hpp"
#include "SysUtils.hpp"
#include "pngimage.hpp"

namespace {

// ---------------------------------------------------------------------------
// libpng's side.

struct LibpngImage {
  png_uint_32 Width = 0, Height = 0;
  int ColorType = 0;
  std::size_t RowBytes = 0;
  std::unique_ptr<Byte[]> Pixels;
  std::vector<png_bytep> Rows;
  std::vector<png_color> Palette;
  std::vector<Byte> PaletteAlpha;
  std::string Error;
};

struct MemoryReader {
  const Byte* Data;
  std::size_t Size, Position;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (count > reader->Size - reader->Position) png_error(png, "unexpected end of data");
  std::memcpy(out, reader->Data + reader->Position, count);
  reader->Position += count;
}

void KeepPalette(png_structp png, png_infop info, LibpngImage& image) {
  png_colorp palette = nullptr;
  int count = 0;
  if (png_get_PLTE(png, info, &palette, &count) & PNG_INFO_PLTE)
    image.Palette.assign(palette, palette + count);
  png_bytep alpha = nullptr;
  int alphaCount = 0;
  if (png_get_tRNS(png, info, &alpha, &alphaCount, nullptr) & PNG_INFO_tRNS)
    image.PaletteAlpha.assign(alpha, alpha + alphaCount);
}

// Everything that outlives a libpng error lives in image, so that the jump
// back skips no destructor.
void ReadRows(png_structp png, png_infop info, LibpngImage& image) {
  png_read_info(png, info);
  png_set_strip_16(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  image.Width = png_get_image_width(png, info);
  image.Height = png_get_image_height(png, info);
  image.ColorType = png_get_color_type(png, info);
  image.RowBytes = png_get_rowbytes(png, info);
  image.Pixels.reset(new Byte[image.RowBytes * image.Height]);
  image.Rows.resize(image.Height);
  for (png_uint_32 y = 0; y < image.Height; ++y)
    image.Rows[y] = image.Pixels.get() + y * image.RowBytes;
  png_read_image(png, image.Rows.data());
  png_read_end(png, nullptr);
  if (image.ColorType == PNG_COLOR_TYPE_PALETTE) KeepPalette(png, info, image);
}

void ReportLibpngError(png_structp png, png_const_charp message) {
  static_cast<LibpngImage*>(png_get_error_ptr(png))->Error = message;
  png_longjmp(png, 1);
}

void IgnoreLibpngWarning(png_structp, png_const_charp) {}

void DecodeLibpng(const std::vector<Byte>& file, LibpngImage& image) {
  MemoryReader reader{file.data(), file.size(), 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &image, ReportLibpngError,
                                           IgnoreLibpngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    image.Error = "out of memory";
    png_destroy_read_struct(&png, nullptr, nullptr);
    return;
  }
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_set_read_fn(png, &reader, ReadFromMemory);
    ReadRows(png, info, image);
  }
  png_destroy_read_struct(&png, &info, nullptr);
}

// ---------------------------------------------------------------------------
// libspng's side.

struct SpngImage {
  spng_ihdr Header{};
  int Format = 0;
  std::size_t Size = 0;
  std::unique_ptr<Byte[]> Pixels;
  spng_plte Palette{};
  spng_trns Transparency{};
  bool HasTransparency = false;
  std::string Error;
};

int SpngFormat(const spng_ihdr& header) {
  if (header.bit_depth < 16) return SPNG_FMT_PNG;
  return header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                 header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA
             ? SPNG_FMT_RGBA8
             : SPNG_FMT_RGB8;
}

void DecodeSpng(const std::vector<Byte>& file, SpngImage& image) {
  spng_ctx* ctx = spng_ctx_new(0);
  if (!ctx) {
    image.Error = "out of memory";
    return;
  }
  int status = spng_set_png_buffer(ctx, file.data(), file.size());
  if (status == 0) status = spng_get_ihdr(ctx, &image.Header);
  if (status == 0) {
    image.Format = SpngFormat(image.Header);
    status = spng_decoded_image_size(ctx, image.Format, &image.Size);
  }
  if (status == 0) {
    image.Pixels.reset(new Byte[image.Size]);
    status = spng_decode_image(ctx, image.Pixels.get(), image.Size, image.Format, 0);
  }
  if (status == 0 && image.Header.color_type == SPNG_COLOR_TYPE_INDEXED) {
    status = spng_get_plte(ctx, &image.Palette);
    image.HasTransparency = spng_get_trns(ctx, &image.Transparency) == 0;
  }
  if (status != 0) image.Error = spng_strerror(status);
  spng_ctx_free(ctx);
}

// ---------------------------------------------------------------------------
// Pixels compared as RGBA, outside the timing.

using Rgba = std::vector<Byte>;

void PutPixel(Rgba& out, std::size_t at, int r, int g, int b, int a) {
  out[at] = Byte(r);
  out[at + 1] = Byte(g);
  out[at + 2] = Byte(b);
  out[at + 3] = Byte(a);
}

void PutLibpngPixel(const LibpngImage& image, const Byte* row, png_uint_32 x, Rgba& out,
                    std::size_t at) {
  switch (image.ColorType) {
    case PNG_COLOR_TYPE_GRAY:
      PutPixel(out, at, row[x], row[x], row[x], 255);
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      PutPixel(out, at, row[x * 2], row[x * 2], row[x * 2], row[x * 2 + 1]);
      break;
    case PNG_COLOR_TYPE_RGB:
      PutPixel(out, at, row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255);
      break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      PutPixel(out, at, row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]);
      break;
    default: {
      const std::size_t i = row[x];
      const png_color c = i < image.Palette.size() ? image.Palette[i] : png_color{};
      const int a = i < image.PaletteAlpha.size() ? image.PaletteAlpha[i] : 255;
      PutPixel(out, at, c.red, c.green, c.blue, a);
    }
  }
}

Rgba LibpngRgba(const LibpngImage& image) {
  Rgba out(std::size_t(image.Width) * image.Height * 4);
  for (png_uint_32 y = 0; y < image.Height; ++y)
    for (png_uint_32 x = 0; x < image.Width; ++x)
      PutLibpngPixel(image, image.Rows[y], x, out, (std::size_t(y) * image.Width + x) * 4);
  return out;
}

Rgba SpngRgba(const SpngImage& image) {
  const spng_ihdr& h = image.Header;
  const std::size_t pixels = std::size_t(h.width) * h.height;
  Rgba out(pixels * 4);
  for (std::size_t i = 0; i < pixels; ++i) {
    const Byte* p = image.Pixels.get();
    if (image.Format == SPNG_FMT_RGBA8) {
      PutPixel(out, i * 4, p[i * 4], p[i * 4 + 1], p[i * 4 + 2], p[i * 4 + 3]);
      continue;
    }
    if (image.Format == SPNG_FMT_RGB8) {
      PutPixel(out, i * 4, p[i * 3], p[i * 3 + 1], p[i * 3 + 2], 255);
      continue;
    }
    switch (h.color_type) {
      case SPNG_COLOR_TYPE_GRAYSCALE:
        PutPixel(out, i * 4, p[i], p[i], p[i], 255);
        break;
      case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        PutPixel(out, i * 4, p[i * 2], p[i * 2], p[i * 2], p[i * 2 + 1]);
        break;
      case SPNG_COLOR_TYPE_TRUECOLOR:
        PutPixel(out, i * 4, p[i * 3], p[i * 3 + 1], p[i * 3 + 2], 255);
        break;
      case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
        PutPixel(out, i * 4, p[i * 4], p[i * 4 + 1], p[i * 4 + 2], p[i * 4 + 3]);
        break;
      default: {
        const std::size_t k = p[i];
        const spng_plte_entry c =
            k < image.Palette.n_entries ? image.Palette.entries[k] : spng_plte_entry{};
        const int a = image.HasTransparency && k < image.Transparency.n_type3_entries
                          ? image.Transparency.type3_alpha[k]
                          : 255;
        PutPixel(out, i * 4, c.red, c.green, c.blue, a);
      }
    }
  }
  return out;
}

Rgba OursRgba(const TPNGObject& png) {
  const TChunkIHDR& h = *png.HeaderChunk();
  const TChunktRNS* trns = png.Chunks().Find<TChunktRNS>();
  const bool paletteAlpha = trns && h.ColorType == 3;
  Rgba out(std::size_t(h.Width) * h.Height * 4);
  for (std::uint32_t y = 0; y < h.Height; ++y) {
    const Byte* row = h.RowAddress(y);
    for (std::uint32_t x = 0; x < h.Width; ++x) {
      const std::size_t at = (std::size_t(y) * h.Width + x) * 4;
      int alpha = h.ImageAlpha() ? h.ImageAlpha()[std::size_t(y) * h.Width + x] : 255;
      if (h.Indexed()) {
        const int i = pngimage_detail::ReadIndex(row, x, h.BitCount());
        const TPNGRGBQuad& q = h.BitmapInfo().bmiColors[i];
        if (paletteAlpha) alpha = trns->AlphaValues[i];
        PutPixel(out, at, q.rgbRed, q.rgbGreen, q.rgbBlue, alpha);
      } else {
        const Byte* p = row + x * 3;
        PutPixel(out, at, p[2], p[1], p[0], alpha);
      }
    }
  }
  return out;
}

// The first pixel that differs, as text; "" when all agree.
std::string FirstDifference(const Rgba& ours, const Rgba& peer, const char* peerName,
                            std::uint32_t width) {
  if (ours.size() != peer.size()) return std::string("the images differ in size from ") + peerName;
  const auto a = std::mismatch(ours.begin(), ours.end(), peer.begin()).first;
  if (a == ours.end()) return "";
  const std::size_t pixel = std::size_t(a - ours.begin()) / 4;
  const Byte* p = ours.data() + pixel * 4;
  const Byte* q = peer.data() + pixel * 4;
  char text[160];
  std::snprintf(text, sizeof text, "pixel (%ld, %ld): ours %d,%d,%d,%d, %s %d,%d,%d,%d",
                long(pixel % width), long(pixel / width), p[0], p[1], p[2], p[3], peerName, q[0],
                q[1], q[2], q[3]);
  return text;
}

// ---------------------------------------------------------------------------
// The floor both decoders share: inflating the image data alone.

std::uint32_t BigEndian32(const Byte* p) {
  return std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// The data of every IDAT chunk, joined (the file is known to be valid).
std::vector<Byte> JoinedImageData(const std::vector<Byte>& file) {
  std::vector<Byte> data;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    const std::size_t length = BigEndian32(&file[at]);
    if (length > file.size() - at - 12) break;
    if (std::memcmp(&file[at + 4], "IDAT", 4) == 0)
      data.insert(data.end(), file.begin() + at + 8, file.begin() + at + 8 + length);
    at += 12 + length;
  }
  return data;
}

// Inflates the whole stream into a reused block; false on a zlib error. The
// inflated size goes to total when asked for.
bool InflateAll(const std::vector<Byte>& data, std::size_t* total = nullptr) {
  static Byte block[1 << 18];
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return false;
  zs.next_in = const_cast<Byte*>(data.data());
  zs.avail_in = uInt(data.size());
  int status = Z_OK;
  while (status == Z_OK) {
    zs.next_out = block;
    zs.avail_out = sizeof block;
    status = inflate(&zs, Z_NO_FLUSH);
  }
  if (total) *total = zs.total_out;
  inflateEnd(&zs);
  return status == Z_STREAM_END;
}

// The floor of the codec's own fast path: libdeflate alone on the same data.
bool InflateAllLibdeflate(const std::vector<Byte>& data, std::vector<Byte>& out) {
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  if (!d) return false;
  std::size_t produced = 0;
  const libdeflate_result result =
      libdeflate_zlib_decompress(d, data.data(), data.size(), out.data(), out.size(), &produced);
  libdeflate_free_decompressor(d);
  return result == LIBDEFLATE_SUCCESS;
}

// ---------------------------------------------------------------------------
// Timing and the table.

template <class F>
double Milliseconds(F&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(stop - start).count();
}

std::vector<Byte> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception("cannot open " + path);
  return std::vector<Byte>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Result {
  std::size_t Bytes = 0;
  double Ours = 1e300, Libpng = 1e300, Spng = 1e300, Inflate = 1e300, Libdeflate = 1e300;
  // The median of ours / libpng over the runs, each pair timed back to back:
  // steadier than the ratio of the bests on a busy machine.
  double PairedRatio = 0;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::unique_ptr<TPNGObject> DecodeOurs(TMemoryStream& stream) {
  auto png = std::make_unique<TPNGObject>();
  stream.SetPosition(0);
  png->LoadFromStream(&stream);
  return png;
}

// Decodes the file with all three and compares the pixels; "" when they
// agree, else what went wrong.
std::string Check(const std::vector<Byte>& file, TMemoryStream& stream) {
  std::unique_ptr<TPNGObject> ours;
  try {
    ours = DecodeOurs(stream);
  } catch (const Exception& e) {
    return "our decoder failed: " + e.Message();
  }
  LibpngImage reference;
  DecodeLibpng(file, reference);
  if (!reference.Error.empty()) return "libpng failed: " + reference.Error;
  SpngImage spng;
  DecodeSpng(file, spng);
  if (!spng.Error.empty()) return "libspng failed: " + spng.Error;
  const Rgba oursRgba = OursRgba(*ours);
  const std::string problem =
      FirstDifference(oursRgba, LibpngRgba(reference), "libpng", reference.Width);
  return problem.empty() ? FirstDifference(oursRgba, SpngRgba(spng), "libspng", reference.Width)
                         : problem;
}

// Checks the file, then times the best of runs; false (after a loud
// message) when the decoders disagree.
bool Measure(const std::string& path, int runs, Result& result) {
  const std::vector<Byte> file = ReadFileBytes(path);
  result.Bytes = file.size();
  TMemoryStream stream;
  stream.Write(file.data(), std::int32_t(file.size()));
  const std::vector<Byte> imageData = JoinedImageData(file);
  std::string problem = Check(file, stream);
  std::size_t inflatedSize = 0;
  if (problem.empty() && !InflateAll(imageData, &inflatedSize))
    problem = "the joined image data does not inflate";
  std::vector<Byte> inflated(inflatedSize);
  if (problem.empty() && !InflateAllLibdeflate(imageData, inflated))
    problem = "libdeflate cannot inflate the data";
  if (!problem.empty()) {
    std::fprintf(stderr, "MISMATCH %s: %s\n", path.c_str(), problem.c_str());
    return false;
  }
  std::vector<double> ratios;
  for (int run = 0; run < runs; ++run) {
    std::unique_ptr<TPNGObject> ours;
    const double oursMs = Milliseconds([&] { ours = DecodeOurs(stream); });
    ours.reset();
    LibpngImage reference;
    const double libpngMs = Milliseconds([&] { DecodeLibpng(file, reference); });
    SpngImage spng;
    const double spngMs = Milliseconds([&] { DecodeSpng(file, spng); });
    result.Ours = std::min(result.Ours, oursMs);
    result.Libpng = std::min(result.Libpng, libpngMs);
    result.Spng = std::min(result.Spng, spngMs);
    result.Inflate = std::min(result.Inflate, Milliseconds([&] { InflateAll(imageData); }));
    result.Libdeflate = std::min(
        result.Libdeflate, Milliseconds([&] { InflateAllLibdeflate(imageData, inflated); }));
    ratios.push_back(oursMs / libpngMs);
  }
  result.PairedRatio = Median(ratios);
  return true;
}

std::vector<std::string> FilesOf(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1 || arguments[0].size() < 4 ||
      arguments[0].compare(arguments[0].size() - 4, 4, ".png") == 0)
    return arguments;
  std::vector<std::string> files;
  std::ifstream list(arguments[0] + "/images.txt");
  if (!list) throw Exception("no images.txt in " + arguments[0]);
  for (std::string name; std::getline(list, name);)
    if (!name.empty()) files.push_back(arguments[0] + "/" + name);
  return files;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One line of the table. The last column compares what each decoder spends
// beyond inflating with zlib, which both use for images this large.
void PrintLine(const std::string& name, const std::string& kib, const Result& r) {
  char paired[16] = "";
  if (r.PairedRatio > 0) std::snprintf(paired, sizeof paired, "%.2f", r.PairedRatio);
  std::printf("%-22s %7s %8.1f %9.1f %8.1f %7.2f %7s %7.2f %8.1f %8.1f %6.2f\n", name.c_str(),
              kib.c_str(), r.Ours, r.Libpng, r.Spng, r.Ours / r.Libpng, paired, r.Ours / r.Spng,
              r.Inflate, r.Libdeflate, (r.Ours - r.Inflate) / (r.Libpng - r.Inflate));
  std::fflush(stdout);
}

int Run(int runs, const std::vector<std::string>& files) {
  std::printf("%-22s %7s %8s %9s %8s %7s %7s %7s %8s %8s %6s\n", "file", "KiB", "ours ms",
              "libpng ms", "spng ms", "/libpng", "paired", "/spng", "zlib", "libdefl", "rest");
  Result total{0, 0, 0, 0, 0, 0, 0};
  bool agreed = true;
  for (const std::string& path : files) {
    Result r;
    if (!Measure(path, runs, r)) {
      agreed = false;
      continue;
    }
    PrintLine(BaseName(path), std::to_string(r.Bytes / 1024), r);
    total.Ours += r.Ours;
    total.Libpng += r.Libpng;
    total.Spng += r.Spng;
    total.Inflate += r.Inflate;
    total.Libdeflate += r.Libdeflate;
  }
  if (total.Libpng > 0) PrintLine("total", "", total);
  std::printf(
      "best of %d runs each; /libpng = ours / libpng %s, /spng = ours / libspng %d.%d.%d\n"
      "(the bests); paired = median of the runs' ours / libpng; zlib, libdefl = zlib or\n"
      "libdeflate alone inflating the joined image data; rest = (ours - zlib) /\n"
      "(libpng - zlib), each beyond inflating\n",
      runs, PNG_LIBPNG_VER_STRING, SPNG_VERSION_MAJOR, SPNG_VERSION_MINOR, SPNG_VERSION_PATCH);
  if (!agreed) std::fprintf(stderr, "MISMATCH: the decoders disagree on some files\n");
  return agreed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  TUnitScope units{&SysUtilsUnit, &pngimageUnit};
  int runs = 5;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else if (std::strcmp(argv[i], "--plain") == 0)
      pngimage_detail::UseSse2 = false;
    else
      arguments.push_back(argv[i]);
  }
  if (arguments.empty()) {
    std::fprintf(stderr, "usage: pngbench [--runs N] [--plain] FOLDER | FILE...\n");
    return 2;
  }
  std::printf("codec: %s\n", pngimage_detail::UseSse2 ? "SSE2 forms" : "plain loops");
  try {
    return Run(runs, FilesOf(arguments));
  } catch (const Exception& e) {
    std::fprintf(stderr, "pngbench: %s\n", e.Message().c_str());
    return 2;
  }
}
