#include "tools/vtrctl/link_holder_channel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "tools/vtrctl/interrupt_guard.h"

namespace vtrctl {

bool SendAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    // The other side may have gone; that is an answer, not a reason to die of SIGPIPE.
    const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

bool ReceiveAll(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = ::recv(fd, bytes, size, 0);
    if (got < 0 && errno == EINTR && interrupted == 0) continue;
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace vtrctl
