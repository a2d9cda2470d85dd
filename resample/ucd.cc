// Reading `trace.ucd`.
#include "resample/ucd.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

namespace kor::resample {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

int as_int(const unsigned char* p) {
  const std::uint32_t u = le32(p);
  std::int32_t v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

double as_double(const unsigned char* p) {
  std::uint64_t u = 0;
  for (int i = 7; i >= 0; --i) u = u << 8 | p[i];
  double v;
  std::memcpy(&v, &u, sizeof v);
  return v;
}

enum class Got { kRecord, kEnd, kBroken };

// Reads one framed record into `body` (its first `need` bytes; the rest is skipped).  kEnd when
// the file ends before a new record; kBroken when the record is truncated, its markers disagree or
// it holds fewer than `need` bytes.
Got read_record(std::FILE* f, std::size_t need, std::vector<unsigned char>& body) {
  unsigned char marker[4];
  const std::size_t got = std::fread(marker, 1, 4, f);
  if (got == 0 && std::feof(f)) return Got::kEnd;
  if (got != 4) return Got::kBroken;
  const std::uint32_t length = le32(marker);
  if (length < need) return Got::kBroken;
  body.resize(need);
  if (need > 0 && std::fread(body.data(), 1, need, f) != need) return Got::kBroken;
  // Skip what is not used by reading it (a seek past the end would not fail).
  for (std::uint32_t left = length - static_cast<std::uint32_t>(need); left > 0; --left) {
    if (std::fgetc(f) == EOF) return Got::kBroken;
  }
  unsigned char trailer[4];
  if (std::fread(trailer, 1, 4, f) != 4) return Got::kBroken;
  return le32(trailer) == length ? Got::kRecord : Got::kBroken;
}

}  // namespace

int read_ucd(const std::string& path, int plot, UcdRecords& out) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) return -1;
  std::vector<unsigned char> body;
  if (read_record(f.get(), 4, body) != Got::kRecord) return -2;
  const int depth = as_int(body.data());
  if (depth < 1 || depth > kMaxDepth) return -2;

  UcdRecords r;
  r.depth = depth;
  const std::size_t need = 12 + 8 * static_cast<std::size_t>(depth);
  // Room for as many records as the file can hold, so that the stores never grow by copying (a
  // copy would need the old and the new store at once).  Pages that no record fills are never
  // touched; when even the room cannot be had, the stores grow as records come.
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error) {
    const std::size_t most = static_cast<std::size_t>(size / (need + 8));
    try {
      r.trace.reserve(most);
      r.point.reserve(most);
      r.values.reserve(most * static_cast<std::size_t>(depth));
    } catch (const std::exception&) {
      r = UcdRecords{};
      r.depth = depth;
    }
  }
  for (;;) {
    const Got got = read_record(f.get(), need, body);
    if (got != Got::kRecord) {
      r.ended_early = got == Got::kBroken;
      break;
    }
    if (as_int(body.data()) != plot) continue;
    r.trace.push_back(as_int(body.data() + 4));
    r.point.push_back(as_int(body.data() + 8));
    for (int k = 0; k < depth; ++k) r.values.push_back(as_double(body.data() + 12 + 8 * k));
  }
  out = std::move(r);
  return 0;
}

}  // namespace kor::resample
