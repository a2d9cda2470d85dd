#include "mplt/output_file.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "util/temporary_file.h"

namespace kor::mplt {
namespace {

// The folder of `path` ("." for a bare name).
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool fail(const std::string& path, const char* reason, OutputFailure& failure) {
  failure = {path, reason};
  return false;
}

}  // namespace

bool check_output(const std::string& path, std::string& target, OutputFailure& failure) {
  target = path;
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return fail(path, std::strerror(EISDIR), failure);
    if (!S_ISREG(st.st_mode)) return fail(path, "not a regular file", failure);
    char real[PATH_MAX];
    if (realpath(path.c_str(), real) == nullptr) return fail(path, std::strerror(errno), failure);
    target = real;
  } else if (errno != ENOENT) {
    return fail(path, std::strerror(errno), failure);
  } else {
    struct stat folder {};
    if (stat(folder_of(path).c_str(), &folder) != 0) {
      return fail(path, std::strerror(errno), failure);
    }
    if (!S_ISDIR(folder.st_mode)) return fail(path, std::strerror(ENOTDIR), failure);
  }
  // A file can be made beside it (the folder may be read-only, or not take files at all).
  std::string probe;
  const int fd = util::make_temporary_beside(target, probe);
  if (fd < 0) return fail(path, std::strerror(errno), failure);
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

bool write_whole(const std::string& path, const std::string& target, mode_t umask,
                 const std::function<bool(int)>& write, OutputFailure& failure) {
  std::string temporary;
  const int fd = util::make_temporary_beside(target, temporary);
  if (fd < 0) return fail(path, std::strerror(errno), failure);
  errno = 0;
  bool ok = fchmod(fd, 0666 & ~umask) == 0 && write(fd);
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return fail(path, std::strerror(error != 0 ? error : EIO), failure);
  }
  return true;
}

}  // namespace kor::mplt
