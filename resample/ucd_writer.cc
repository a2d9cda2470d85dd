// Writing `trace.ucd` files for tests and benchmarks.
#include "resample/ucd_writer.h"

#include <cstring>
#include <fstream>

namespace kor::resample {
namespace {

void put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i) & 0xff));
}

void put64(std::string& s, double d) {
  std::uint64_t v;
  std::memcpy(&v, &d, sizeof v);
  for (int i = 0; i < 8; ++i) s.push_back(static_cast<char>(v >> (8 * i) & 0xff));
}

std::uint32_t bits(int v) {
  std::uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

}  // namespace

std::string ucd_frame(const std::string& body) {
  std::string s;
  put32(s, static_cast<std::uint32_t>(body.size()));
  s += body;
  put32(s, static_cast<std::uint32_t>(body.size()));
  return s;
}

std::string ucd_depth_body(int depth) {
  std::string s;
  put32(s, bits(depth));
  return s;
}

std::string ucd_record_body(const UcdRecord& r) {
  std::string s;
  put32(s, bits(r.plot));
  put32(s, bits(r.trace));
  put32(s, bits(r.point));
  for (double v : r.values) put64(s, v);
  return s;
}

bool write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool write_ucd(const std::string& path, int depth, const std::vector<UcdRecord>& records) {
  std::string bytes = ucd_frame(ucd_depth_body(depth));
  for (const UcdRecord& r : records) bytes += ucd_frame(ucd_record_body(r));
  return write_bytes(path, bytes);
}

}  // namespace kor::resample
