// The claim of a graphics server on its queue: one server serves one queue.
//
// A server holds a write lock (fcntl) on the file /tmp/kor-mplt-<key>.server for as long as it
// lives and writes its pid into it; the lock goes with the process however it ends.  A second
// server for the same key finds the lock taken and leaves at once, and a client that gets no
// answer to its ping learns from the lock whether a server is still alive (busy) before it
// would start another.  Shared by the client (graphics/link.cc) and the server (mplt/).
#ifndef KOR_GRAPHICS_SERVER_CLAIM_H_
#define KOR_GRAPHICS_SERVER_CLAIM_H_

#include <sys/types.h>

#include <string>

namespace kor::graphics {

// The file /tmp/kor-mplt-<key><suffix> of queue key `key` (the key as eight hex digits).
std::string key_file_path(key_t key, const char* suffix);

// The claim file of queue key `key`.
std::string server_claim_path(key_t key);

// The process that holds the claim of `key` (it is alive: the lock would be gone otherwise), or
// 0 when no server holds it.
pid_t claim_holder(key_t key);

// Takes the claim of `key` for the calling process.  Returns the claim's descriptor (keep it
// open; closing any descriptor of the file gives the lock back), -1 when another process holds
// it (`holder` tells which), or -2 when no claim file can be made (then no claim is kept).
int take_claim(key_t key, pid_t& holder);

// Gives the claim back and removes the claim file.
void release_claim(key_t key, int fd);

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_SERVER_CLAIM_H_
