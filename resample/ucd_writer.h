// Writing `trace.ucd` files, for the tests and the benchmarks (the package itself only reads them).
// Records are framed as resample/ucd.h describes.
#ifndef KOR_RESAMPLE_UCD_WRITER_H_
#define KOR_RESAMPLE_UCD_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace kor::resample {

// One data record: plot, trace and abscissa point numbers and the data values.
struct UcdRecord {
  int plot = 1;
  int trace = 1;
  int point = 1;
  std::vector<double> values;
};

// The bytes of one framed record around `body`.
std::string ucd_frame(const std::string& body);
// The body of the depth record and of a data record (values written as given, whatever their
// count).
std::string ucd_depth_body(int depth);
std::string ucd_record_body(const UcdRecord& r);

// Writes the depth record and the records to `path`; returns false when the file cannot be
// written.
bool write_ucd(const std::string& path, int depth, const std::vector<UcdRecord>& records);
// Writes raw bytes (for damaged files in tests).
bool write_bytes(const std::string& path, const std::string& bytes);

}  // namespace kor::resample

#endif  // KOR_RESAMPLE_UCD_WRITER_H_
