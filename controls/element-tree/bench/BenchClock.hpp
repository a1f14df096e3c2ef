// The tree benchmarks' clock and their median of rounds.
#pragma once

#include <algorithm>
#include <vector>

#include <windows.h>

namespace bench {

// Seconds on the performance counter.
inline double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace bench
