// A trace data file at the reader's capacity, shared by the benchmarks: 24 traces of 2048 points
// at data depth 28, plot type 4 with real labels (every trace on the same 2048 thresholds), plain
// or packed values.
#ifndef KOR_BENCH_CAPACITY_PLOT_H_
#define KOR_BENCH_CAPACITY_PLOT_H_

#include <cstdio>
#include <fstream>
#include <string>

#include "tracefile/format.h"

namespace kor::bench {

inline void write_capacity_plot(const std::string& path, bool packed) {
  using namespace kor::tracefile;
  std::ofstream out(path, std::ios::binary);
  for (int t = 1; t <= kMaxTraces; ++t) out << t << " 2 0 0 1 1 4\n1 MODEL" << t << " 0 0 0\n";
  out << "EOCF\n";
  char buf[64];
  for (int t = 1; t <= kMaxTraces; ++t) {
    out << t << ' ' << kMaxDepth << ' ' << kMaxPoints << " r " << (packed ? "T" : "F") << '\n';
    for (int p = 1; p <= kMaxPoints; ++p) {
      std::snprintf(buf, sizeof buf, "%24.7E", 0.5 * p);
      out << buf;
      for (int k = 1; k <= kMaxDepth; ++k) {
        const double v = 1000.0 + 13.0 * k + 0.25 * p + t;
        if (packed) {
          out << ' ' << *pack_value(v);
        } else {
          std::snprintf(buf, sizeof buf, "%20.12E", v);
          out << buf;
        }
      }
      out << '\n';
    }
  }
}

}  // namespace kor::bench

#endif  // KOR_BENCH_CAPACITY_PLOT_H_
