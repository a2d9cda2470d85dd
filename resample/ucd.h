// The uncombined-record file `trace.ucd`: the records of every trace of a plot, one per selected
// data record, tagged by plot, trace and abscissa point, from which resampling draws.
//
// Framing: sequential unformatted records, each one enclosed by a 4-byte little-endian record
// length (the byte count of the record) before and after it.  The first record is the data depth D
// (one 32-bit little-endian integer); every following record holds the plot number, the trace
// number and the abscissa point number (32-bit integers) and then D 64-bit little-endian reals.
// A record may be longer than what is read from it (the rest is ignored), never shorter.
#ifndef KOR_RESAMPLE_UCD_H_
#define KOR_RESAMPLE_UCD_H_

#include <cstdint>
#include <string>
#include <vector>

#include "tracefile/format.h"

namespace kor::resample {

using tracefile::kMaxDepth;  // data values per record

// One plot's records of a `trace.ucd` file, in file order.
struct UcdRecords {
  int depth = 0;               // D, 1..kMaxDepth once read
  std::vector<int> trace;      // trace number of record i
  std::vector<int> point;      // abscissa point number of record i
  std::vector<double> values;  // D values of record i at values[i * D ...]
  bool ended_early = false;    // a broken record ended reading before the end of the file
  std::size_t size() const { return trace.size(); }
};

// Reads the data depth and then every record of plot `plot` from `path` into `out`.  Returns 0, -1
// when the file cannot be opened, -2 when its first record is missing, broken or holds a depth
// outside 1..kMaxDepth.  A data record that is truncated, shorter than 12 + 8 D bytes or whose two
// length markers disagree ends reading as the end of the file does, keeping the records before it
// (ended_early tells).  `out` is unchanged on -1 and -2.
[[nodiscard]] int read_ucd(const std::string& path, int plot, UcdRecords& out);

}  // namespace kor::resample

#endif  // KOR_RESAMPLE_UCD_H_
