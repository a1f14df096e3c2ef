// The PNG standard's row filters: unfiltering for decoding, filtering for
// encoding. Unfiltering is the decoder's hottest loop after inflating, so the
// pixel-serial filters (Sub, Average, Paeth) of 3, 4, 6 and 8-byte pixels
// work a whole pixel at a time in SSE2 registers where the processor has
// them (always on x86-64; the 32-bit build asks the processor once, as it
// must also run on processors without SSE2).
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "pngimage.hpp"

#if defined(PNGIMAGE_SSE2)
#include <emmintrin.h>
#if !defined(__x86_64__)
#include <cpuid.h>
#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif
#endif
#endif

namespace pngimage_detail {

namespace {

// The predictor closest to a + b - c, ties going to a, then b.
inline int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

inline int Predictor(Byte filterType, const Byte* row, const Byte* previous, std::ptrdiff_t i,
                     int distance) {
  const int a = i >= distance ? row[i - distance] : 0;
  const int b = previous[i];
  switch (filterType) {
    case 1: return a;
    case 2: return b;
    case 3: return (a + b) >> 1;
    case 4: return Paeth(a, b, i >= distance ? previous[i - distance] : 0);
    default: return 0;
  }
}

// The byte-serial forms for 1- and 2-byte distances (gray, gray + alpha,
// palette rows). Each of the D interleaved chains keeps its left byte and
// its upper-left byte in registers: read back from the row, every byte
// would wait for the store of the one before it.
template <int D, int Filter>
void UnfilterChains(Byte* row, const Byte* previous, std::ptrdiff_t length) {
  int a[D], c[D];
  for (int j = 0; j < D; ++j) {
    a[j] = 0;
    c[j] = 0;
  }
  const std::ptrdiff_t whole = length - length % D;
  for (std::ptrdiff_t i = 0; i < whole; i += D) {
    for (int j = 0; j < D; ++j) {
      const int x = row[i + j], b = previous[i + j];
      int predicted;
      if constexpr (Filter == 1) {
        predicted = a[j];
      } else if constexpr (Filter == 3) {
        predicted = (a[j] + b) >> 1;
      } else {
        // Paeth, written so that the compiler can choose without branching.
        const int pa = std::abs(b - c[j]), pb = std::abs(a[j] - c[j]);
        const int pc = std::abs(a[j] + b - 2 * c[j]);
        const int bOrC = pb <= pc ? b : c[j];
        predicted = (pa <= pb && pa <= pc) ? a[j] : bOrC;
      }
      a[j] = (x + predicted) & 0xFF;
      c[j] = b;
      row[i + j] = Byte(a[j]);
    }
  }
}

// The byte-serial forms, for every distance.
void UnfilterSerial(Byte filterType, Byte* row, const Byte* previous, std::ptrdiff_t length,
                    std::ptrdiff_t d) {
  if (d == 1 || (d == 2 && length % 2 == 0)) {
    const bool one = d == 1;
    switch (filterType) {
      case 1: return one ? UnfilterChains<1, 1>(row, previous, length)
                         : UnfilterChains<2, 1>(row, previous, length);
      case 3: return one ? UnfilterChains<1, 3>(row, previous, length)
                         : UnfilterChains<2, 3>(row, previous, length);
      case 4: return one ? UnfilterChains<1, 4>(row, previous, length)
                         : UnfilterChains<2, 4>(row, previous, length);
      default: return;
    }
  }
  switch (filterType) {
    case 1:
      for (std::ptrdiff_t i = d; i < length; ++i) row[i] = Byte(row[i] + row[i - d]);
      break;
    case 3:
      for (std::ptrdiff_t i = 0; i < d; ++i) row[i] = Byte(row[i] + (previous[i] >> 1));
      for (std::ptrdiff_t i = d; i < length; ++i)
        row[i] = Byte(row[i] + ((row[i - d] + previous[i]) >> 1));
      break;
    case 4:
      for (std::ptrdiff_t i = 0; i < d; ++i) row[i] = Byte(row[i] + previous[i]);
      for (std::ptrdiff_t i = d; i < length; ++i)
        row[i] = Byte(row[i] + Paeth(row[i - d], previous[i], previous[i - d]));
      break;
    default:
      break;
  }
}

#if defined(PNGIMAGE_SSE2)

#if !defined(__x86_64__) && defined(_WIN32)
// Looked up at run time: older kernels lack IsProcessorFeaturePresent.
using TIsProcessorFeaturePresent = int(__stdcall*)(unsigned long feature);
constexpr unsigned long kFeatureSse2 = 10;  // PF_XMMI64_INSTRUCTIONS_AVAILABLE
#endif

// SSE2 in the processor, and its registers saved by the system on a thread
// switch: Windows 95 and NT 4 do not, and say so by not knowing the feature
// or the function.
bool ProcessorHasSse2() {
#if defined(__x86_64__)
  return true;
#else
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx) || (edx & bit_SSE2) == 0) return false;
#if defined(_WIN32)
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel ? GetProcAddress(kernel, "IsProcessorFeaturePresent") : nullptr;
  if (!found) return false;
  return reinterpret_cast<TIsProcessorFeaturePresent>(reinterpret_cast<void*>(found))(
             kFeatureSse2) != 0;
#else
  return true;
#endif
#endif
}

// Everything up to the matching pop may use SSE2; only code behind a test of
// UseSse2 calls into it.
#pragma GCC push_options
#pragma GCC target("sse2")

// One pixel of Bpp bytes in the low 16-bit lanes, and back. The bytes pass
// through a general register: going through memory, a 3- or 6-byte write
// followed by a wider read would stall on every pixel. Lanes hold values
// mod 256 only after masking, which every filter below does before storing.
template <class T>
inline T LoadBytes(const Byte* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

template <class T>
inline void StoreBytes(Byte* p, T value) {
  std::memcpy(p, &value, sizeof value);
}

template <int Bpp>
inline std::uint64_t LoadPixelBits(const Byte* p) {
  if constexpr (Bpp == 3)
    return LoadBytes<std::uint16_t>(p) | std::uint64_t(p[2]) << 16;
  else if constexpr (Bpp == 6)
    return LoadBytes<std::uint32_t>(p) | std::uint64_t(LoadBytes<std::uint16_t>(p + 4)) << 32;
  else if constexpr (Bpp == 4)
    return LoadBytes<std::uint32_t>(p);
  else
    return LoadBytes<std::uint64_t>(p);
}

template <int Bpp>
inline void StorePixelBits(Byte* p, std::uint64_t bits) {
  if constexpr (Bpp == 3) {
    StoreBytes(p, std::uint16_t(bits));
    p[2] = Byte(bits >> 16);
  } else if constexpr (Bpp == 6) {
    StoreBytes(p, std::uint32_t(bits));
    StoreBytes(p + 4, std::uint16_t(bits >> 32));
  } else if constexpr (Bpp == 4) {
    StoreBytes(p, std::uint32_t(bits));
  } else {
    StoreBytes(p, bits);
  }
}

// A pixel's bytes in the low byte lanes, as they are. A 32-bit target has
// no 64-bit moves between the register files: up to 4 bytes go through a
// 32-bit register, 6 add a 16-bit lane, 8 go through memory whole.
template <int Bpp>
inline __m128i LoadPackedPixel(const Byte* p) {
#if defined(__x86_64__)
  return _mm_cvtsi64_si128(static_cast<long long>(LoadPixelBits<Bpp>(p)));
#else
  if constexpr (Bpp == 8) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  } else if constexpr (Bpp == 6) {
    const __m128i low = _mm_cvtsi32_si128(static_cast<int>(LoadBytes<std::uint32_t>(p)));
    return _mm_insert_epi16(low, LoadBytes<std::uint16_t>(p + 4), 2);
  } else {
    return _mm_cvtsi32_si128(static_cast<int>(LoadPixelBits<Bpp>(p)));
  }
#endif
}

template <int Bpp>
inline void StorePackedPixel(Byte* p, __m128i bytes) {
#if defined(__x86_64__)
  StorePixelBits<Bpp>(p, static_cast<std::uint64_t>(_mm_cvtsi128_si64(bytes)));
#else
  if constexpr (Bpp == 8) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), bytes);
  } else if constexpr (Bpp == 6) {
    StoreBytes(p, static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes)));
    StoreBytes(p + 4, static_cast<std::uint16_t>(_mm_extract_epi16(bytes, 2)));
  } else {
    StorePixelBits<Bpp>(p, static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes)));
  }
#endif
}

// A pixel's bytes widened to 16-bit lanes, and back.
template <int Bpp>
inline __m128i LoadPixel(const Byte* p) {
  return _mm_unpacklo_epi8(LoadPackedPixel<Bpp>(p), _mm_setzero_si128());
}

template <int Bpp>
inline void StorePixel(Byte* p, __m128i lanes) {
  StorePackedPixel<Bpp>(p, _mm_packus_epi16(lanes, lanes));
}

inline __m128i Select(__m128i mask, __m128i ifSet, __m128i ifClear) {
  return _mm_or_si128(_mm_and_si128(mask, ifSet), _mm_andnot_si128(mask, ifClear));
}

inline __m128i Abs16(__m128i x) { return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x)); }

// Sub over a row of whole Bpp-byte pixels, in byte lanes that wrap as the
// filter's sums do.
template <int Bpp>
void UnfilterSubPixels(Byte* row, std::ptrdiff_t length) {
  __m128i a = _mm_setzero_si128();
  for (std::ptrdiff_t i = 0; i + Bpp <= length; i += Bpp) {
    a = _mm_add_epi8(LoadPackedPixel<Bpp>(row + i), a);
    StorePackedPixel<Bpp>(row + i, a);
  }
}

// Average over a row of whole Bpp-byte pixels, in byte lanes. The rounding
// up average of the complements is the complement of the rounded down one,
// so the complement of each pixel, ~a, follows from the last as
// avg(~a, ~b) - x: two operations on the chain from pixel to pixel.
template <int Bpp>
void UnfilterAveragePixels(Byte* row, const Byte* previous, std::ptrdiff_t length) {
  const __m128i ones = _mm_set1_epi8(-1);
  __m128i notA = ones;
  for (std::ptrdiff_t i = 0; i + Bpp <= length; i += Bpp) {
    const __m128i notB = _mm_xor_si128(LoadPackedPixel<Bpp>(previous + i), ones);
    notA = _mm_sub_epi8(_mm_avg_epu8(notA, notB), LoadPackedPixel<Bpp>(row + i));
    StorePackedPixel<Bpp>(row + i, _mm_xor_si128(notA, ones));
  }
}

// Paeth over a row of whole Bpp-byte pixels, in 16-bit lanes.
template <int Bpp>
void UnfilterPaethPixels(Byte* row, const Byte* previous, std::ptrdiff_t length) {
  const __m128i low = _mm_set1_epi16(0xFF);
  __m128i a = _mm_setzero_si128(), c = _mm_setzero_si128();
  for (std::ptrdiff_t i = 0; i + Bpp <= length; i += Bpp) {
    const __m128i x = LoadPixel<Bpp>(row + i);
    // pa = |b - c|, pb = |a - c|, pc = |a + b - 2c|; ties favour a, then b.
    const __m128i b = LoadPixel<Bpp>(previous + i);
    const __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
    const __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
    const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
    const __m128i nearest = Select(_mm_cmpeq_epi16(smallest, pa), a,
                                   Select(_mm_cmpeq_epi16(smallest, pb), b, c));
    a = _mm_and_si128(_mm_add_epi16(x, nearest), low);
    c = b;
    StorePixel<Bpp>(row + i, a);
  }
}

// Sub, Average or Paeth over a row of whole Bpp-byte pixels.
template <int Bpp>
void UnfilterPixels(Byte filterType, Byte* row, const Byte* previous, std::ptrdiff_t length) {
  switch (filterType) {
    case 1: return UnfilterSubPixels<Bpp>(row, length);
    case 3: return UnfilterAveragePixels<Bpp>(row, previous, length);
    default: return UnfilterPaethPixels<Bpp>(row, previous, length);
  }
}

PNGIMAGE_SSE2_ENTRY bool UnfilterWholePixels(Byte filterType, Byte* row, const Byte* previous, std::ptrdiff_t length,
                         int distance) {
  if (length % distance != 0) return false;
  switch (distance) {
    case 3: UnfilterPixels<3>(filterType, row, previous, length); return true;
    case 4: UnfilterPixels<4>(filterType, row, previous, length); return true;
    case 6: UnfilterPixels<6>(filterType, row, previous, length); return true;
    case 8: UnfilterPixels<8>(filterType, row, previous, length); return true;
    default: return false;
  }
}

// Up, 16 bytes a step; returns how many bytes it did.
PNGIMAGE_SSE2_ENTRY std::ptrdiff_t UnfilterUpSse2(Byte* row, const Byte* previous,
                                                  std::ptrdiff_t length) {
  std::ptrdiff_t i = 0;
  for (; i + 16 <= length; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
  }
  return i;
}

#pragma GCC pop_options

#endif

void UnfilterUp(Byte* row, const Byte* previous, std::ptrdiff_t length) {
  std::ptrdiff_t i = 0;
#if defined(PNGIMAGE_SSE2)
  if (UseSse2) i = UnfilterUpSse2(row, previous, length);
#endif
  for (; i < length; ++i) row[i] = Byte(row[i] + previous[i]);
}

}  // namespace

#if defined(PNGIMAGE_SSE2)
bool UseSse2 = ProcessorHasSse2();
#else
bool UseSse2 = false;
#endif

void UnfilterRow(Byte filterType, Byte* row, const Byte* previous, std::int64_t length,
                 int distance) {
  // A row in memory: its length fits the address space.
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(length);
  // Type 0, and any unknown type, leaves the row as it is.
  if (filterType == 0 || filterType > 4) return;
  if (filterType == 2) {
    UnfilterUp(row, previous, n);
    return;
  }
#if defined(PNGIMAGE_SSE2)
  if (UseSse2 && UnfilterWholePixels(filterType, row, previous, n, distance)) return;
#endif
  UnfilterSerial(filterType, row, previous, n, std::min<std::ptrdiff_t>(distance, n));
}

void FilterRow(Byte filterType, const Byte* row, const Byte* previous, Byte* out,
               std::int64_t length, int distance) {
  for (std::ptrdiff_t i = 0; i < static_cast<std::ptrdiff_t>(length); ++i)
    out[i] = Byte(row[i] - Predictor(filterType, row, previous, i, distance));
}

}  // namespace pngimage_detail
