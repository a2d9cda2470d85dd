// Output files that are written whole or not at all.
//
// A file is written under a temporary name in its own folder and renamed over its name once it
// is complete, so that a reader never sees half a file: a server killed while writing, or a full
// file system, leaves the file of the run before as it was (a write that fails removes its
// temporary file).  A name is taken when it leads to a regular file (through symbolic links) or
// to no file yet in a folder where files can be made.
#ifndef KOR_MPLT_OUTPUT_FILE_H_
#define KOR_MPLT_OUTPUT_FILE_H_

#include <sys/types.h>

#include <functional>
#include <string>

namespace kor::mplt {

// Why an output file could not be made or written, for the client's message in words.
struct OutputFailure {
  std::string path;    // the file as named
  std::string reason;  // the system's reason ("No space left on device", ...)
};

// Checks that `path` can take an output, and gives the file that a write replaces (`path` with
// its symbolic links resolved).  Returns false with `failure` filled in when it cannot.
[[nodiscard]] bool check_output(const std::string& path, std::string& target,
                                OutputFailure& failure);

// Writes the file `target` through `write` (which gets a descriptor and says whether everything
// was written) to a temporary file beside it, with mode 0666 less `umask`, and renames it over
// `target`.  Returns false with `failure` filled in (naming `path`) when anything failed; then
// `target` is as it was.
[[nodiscard]] bool write_whole(const std::string& path, const std::string& target, mode_t umask,
                               const std::function<bool(int)>& write, OutputFailure& failure);

}  // namespace kor::mplt

#endif  // KOR_MPLT_OUTPUT_FILE_H_
