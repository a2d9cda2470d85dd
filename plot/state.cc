#include "plot/state.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "util/temporary_file.h"

namespace kor::plot {

namespace {

// Opens `out` on a new temporary file beside `name`, with mode 0666 less the umask; with `append`
// the file starts as a copy of `name` (when there is one).  Returns 0 or an errno value.
// `target` is the file the temporary one replaces: `name` with its symbolic links resolved.
int open_beside(const std::string& name, bool append, std::ofstream& out, std::string& temp,
                std::string& target) {
  temp.clear();
  target = name;
  struct stat st {};
  if (stat(name.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return EISDIR;
    if (!S_ISREG(st.st_mode)) {
      // A device or a pipe (/dev/stdout) is written in place: there is nothing to replace.
      errno = 0;
      out.open(name, append ? std::ios::out | std::ios::app : std::ios::out | std::ios::trunc);
      return out.is_open() ? 0 : (errno != 0 ? errno : EIO);
    }
    char* real = realpath(name.c_str(), nullptr);
    if (real != nullptr) target = real;
    std::free(real);
  }
  const int fd = util::make_temporary_beside(target, temp);
  if (fd < 0) {
    const int error = errno;
    temp.clear();
    return error;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  (void)fchmod(fd, 0666 & ~mask);
  ::close(fd);
  out.open(temp, std::ios::out | std::ios::trunc | std::ios::binary);
  if (append) {
    std::ifstream old(name, std::ios::binary);
    if (old && old.peek() != std::ifstream::traits_type::eof()) out << old.rdbuf();
  }
  if (!out) {
    ::unlink(temp.c_str());
    temp.clear();
    return EIO;
  }
  return 0;
}

// Closes `out` and renames its temporary file to `target`, or removes it when a write failed.
// Returns 0 or the errno value of the failure.
int close_beside(const std::string& target, std::ofstream& out, std::string& temp) {
  if (!out.is_open()) return 0;
  out.flush();
  bool ok = static_cast<bool>(out);
  out.close();
  ok = ok && !out.fail();
  const bool in_place = temp.empty();
  int error = 0;
  if (ok && !in_place && ::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok && error == 0) {
    // The stream keeps no reason: one byte more tells it (a full file system, a size limit).
    const int fd = ::open((in_place ? target : temp).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    error = fd >= 0 && ::write(fd, "\n", 1) < 0 ? errno : EIO;
    if (fd >= 0) ::close(fd);
  }
  if (!ok && !in_place) ::unlink(temp.c_str());
  temp.clear();
  out.clear();
  return error;
}

}  // namespace

int TextDevice::open(bool append, bool with_bxw) {
  close();
  dump.clear();
  bxw.clear();
  open_error = open_beside(dump_name, append, dump, dump_temp_, dump_target_);
  if (open_error != 0) return -22;
  if (!with_bxw) return 0;
  open_error = open_beside(bxw_name, append, bxw, bxw_temp_, bxw_target_);
  if (open_error != 0) {
    close();
    return -41;
  }
  return 0;
}

bool TextDevice::close_dump() {
  const int error = close_beside(dump_target_, dump, dump_temp_);
  if (error == 0) return true;
  failed_name = dump_name;
  write_error = error;
  return false;
}

bool TextDevice::close() {
  const bool dump_ok = close_dump();
  const int error = close_beside(bxw_target_, bxw, bxw_temp_);
  if (error == 0) return dump_ok;
  failed_name = bxw_name;
  write_error = error;
  return false;
}

std::string PlotFiles::output_path(const std::string& name) const {
  if (output_dir.empty()) return name;
  if (output_dir.back() == '/') return output_dir + name;
  return output_dir + "/" + name;
}

void BoxWhiskerBook::add_error(int code) {
  if (error_count >= 0 && error_count < kMaxBxwErrors) errors[error_count] = code;
  ++error_count;
}

void reset_settings(PlotSettings& s, int trace_count, bool full) {
  PlotSettings fresh;
  fresh.line_defs = fresh.marker_defs = std::clamp(trace_count, 0, kMaxTraces);
  if (!full) {
    fresh.trials = s.trials;
    fresh.resample = s.resample;
    fresh.test_level = s.test_level;
    fresh.bxw_print = s.bxw_print;
    fresh.bxw_second = s.bxw_second;
    fresh.bxw_request = s.bxw_request;
    fresh.bxw_colour = s.bxw_colour;
  }
  s = std::move(fresh);
}

void BoxWhiskerTables::clear() {
  const std::size_t size = static_cast<std::size_t>(kMaxTraces) * kBxwPoints;
  for (auto* table : {&minus_lower, &upper, &upper_whisker, &lower_whisker}) {
    table->assign(size, 0.0f);
  }
}

bool box_whiskers_wanted(const PlotSettings& s) {
  return std::any_of(s.bxw_colour.begin(), s.bxw_colour.end(), [](int c) { return c > 0; });
}

}  // namespace kor::plot
