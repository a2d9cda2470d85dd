#include "graphics/server_claim.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kor::graphics {
namespace {

// The lock that covers the whole file.
struct flock whole_file(short type) {
  struct flock l {};
  l.l_type = type;
  l.l_whence = SEEK_SET;
  l.l_start = 0;
  l.l_len = 0;
  return l;
}

// The process whose lock keeps a write lock on the file of `fd` out, or 0.
pid_t lock_holder(int fd) {
  struct flock l = whole_file(F_WRLCK);
  return fcntl(fd, F_GETLK, &l) == 0 && l.l_type != F_UNLCK ? l.l_pid : 0;
}

}  // namespace

std::string key_file_path(key_t key, const char* suffix) {
  char name[64];
  std::snprintf(name, sizeof name, "/tmp/kor-mplt-%08x%s", static_cast<unsigned>(key), suffix);
  return name;
}

std::string server_claim_path(key_t key) { return key_file_path(key, ".server"); }

pid_t claim_holder(key_t key) {
  const int fd = ::open(server_claim_path(key).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  const pid_t holder = lock_holder(fd);
  ::close(fd);
  return holder;
}

int take_claim(key_t key, pid_t& holder) {
  holder = 0;
  const std::string path = server_claim_path(key);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
      // Someone else's file, or no /tmp: a live holder still keeps this server out.
      holder = claim_holder(key);
      return holder > 0 ? -1 : -2;
    }
    struct flock l = whole_file(F_WRLCK);
    if (fcntl(fd, F_SETLK, &l) != 0) {
      holder = lock_holder(fd);
      ::close(fd);
      if (holder > 0) return -1;
      continue;  // let go between the two calls: try again
    }
    // A server that ended removed the file it held; a lock on a removed file claims nothing.
    struct stat held {
    }, named{};
    if (fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev) {
      char pid[32];
      const int n = std::snprintf(pid, sizeof pid, "%ld\n", static_cast<long>(getpid()));
      if (ftruncate(fd, 0) != 0 || pwrite(fd, pid, static_cast<std::size_t>(n), 0) != n) {
        // The pid in the file is for people; the lock is the claim.
      }
      return fd;
    }
    ::close(fd);
  }
  return -2;
}

void release_claim(key_t key, int fd) {
  if (fd < 0) return;
  ::unlink(server_claim_path(key).c_str());
  ::close(fd);
}

}  // namespace kor::graphics
