// Decoding benchmark (not a test): large PNG images of the main colour types,
// interlaced and not, encoded by the codec itself, then decoded repeatedly by
// the codec and, when the benchmark is built with it, by libpng for the same
// target. Prints milliseconds per decode and the ratio.
//
// Usage: png_bench [size] [repeats]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "pngimage.hpp"

#ifdef SKIN_BENCH_LIBPNG
#include <png.h>
#endif

namespace {

struct Case {
  const char* Name;
  Byte ColorType;
  Byte Interlace;
};

// Smooth gradients with some noise, so that the filters and deflate have
// work of the kind real pictures give them.
std::vector<Byte> EncodeCase(const Case& c, int size) {
  TPNGObject png;
  auto* header = static_cast<TChunkIHDR*>(png.Chunks().Add(new TChunkIHDR(&png)));
  header->Width = header->Height = std::uint32_t(size);
  header->BitDepth = 8;
  header->ColorType = c.ColorType;
  header->PrepareImageData();
  if (c.ColorType == 3) {
    auto* palette = static_cast<TChunkPLTE*>(png.Chunks().Add(new TChunkPLTE(&png)));
    palette->SetEntryCount(256);
    for (int i = 0; i < 256; ++i)
      header->BitmapInfo().bmiColors[i] = {Byte(i), Byte(255 - i), Byte(i * 3), 0};
  }
  png.Chunks().Add(new TChunkIDAT(&png));
  png.Chunks().Add(new TChunkIEND(&png));
  std::mt19937 random(7);
  for (int y = 0; y < size; ++y) {
    Byte* row = header->RowAddress(std::uint32_t(y));
    const int bytes = header->Indexed() ? size : size * 3;
    for (int x = 0; x < bytes; ++x) row[x] = Byte((x / 3 + y) / 8 + (random() & 7));
    if (Byte* alpha = header->AlphaRow(std::uint32_t(y)))
      for (int x = 0; x < size; ++x) alpha[x] = Byte((x + 2 * y) >> 4);
  }
  png.SetInterlaceMethod(c.Interlace);
  png.SetFilters({pfNone, pfSub, pfUp, pfAverage, pfPaeth});
  png.SetCompressionLevel(6);
  TMemoryStream stream;
  png.SaveToStream(&stream);
  const Byte* p = static_cast<const Byte*>(stream.Memory());
  return std::vector<Byte>(p, p + stream.Size());
}

double OursMilliseconds(const std::vector<Byte>& file, int repeats) {
  TMemoryStream stream;
  stream.Write(file.data(), std::int32_t(file.size()));
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) {
    stream.SetPosition(0);
    TPNGObject png;
    png.LoadFromStream(&stream);
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
         repeats;
}

#ifdef SKIN_BENCH_LIBPNG
struct MemoryReader {
  const Byte* data;
  std::size_t size, at;
};

void ReadMemory(png_structp png, png_bytep out, png_size_t count) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (reader->at + count > reader->size) png_error(png, "read past end");
  std::memcpy(out, reader->data + reader->at, count);
  reader->at += count;
}

// libpng's own decode of the samples, as the codec decodes them: no
// conversions beyond undoing the interlace.
void LibpngDecode(const std::vector<Byte>& file) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{file.data(), file.size(), 0};
  std::vector<Byte> pixels;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fprintf(stderr, "libpng failed\n");
    std::exit(1);
  }
  png_set_read_fn(png, &reader, ReadMemory);
  png_read_info(png, info);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  pixels.resize(rowBytes * height);
  for (png_uint_32 y = 0; y < height; ++y) rows.push_back(pixels.data() + y * rowBytes);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
}

double LibpngMilliseconds(const std::vector<Byte>& file, int repeats) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) LibpngDecode(file);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
         repeats;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const int size = argc > 1 ? std::atoi(argv[1]) : 2048;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 3;
  const Case cases[] = {{"gray", 0, 0}, {"gray adam7", 0, 1},   {"palette", 3, 0},
                        {"palette adam7", 3, 1}, {"rgb", 2, 0}, {"rgb adam7", 2, 1},
                        {"rgba", 6, 0},          {"rgba adam7", 6, 1}};
  std::printf("%dx%d, %d decodes each (ms per decode)\n", size, size, repeats);
  std::printf("%-15s %10s %10s %10s %8s\n", "image", "file KB", "ours", "libpng", "ratio");
  for (const Case& c : cases) {
    const std::vector<Byte> file = EncodeCase(c, size);
    const double ours = OursMilliseconds(file, repeats);
#ifdef SKIN_BENCH_LIBPNG
    const double theirs = LibpngMilliseconds(file, repeats);
    std::printf("%-15s %10zu %10.1f %10.1f %8.2f\n", c.Name, file.size() / 1024, ours, theirs,
                ours / theirs);
#else
    std::printf("%-15s %10zu %10.1f %10s %8s\n", c.Name, file.size() / 1024, ours, "-", "-");
#endif
  }
  return 0;
}
