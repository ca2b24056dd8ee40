#include "lib/common/diagnostic_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/services.h"

namespace vtr {

void WriteLogLine(const char* text) {
  if (text == nullptr) return;
  const auto path = platform::Current().Files().HostPath(kDiagnosticLogPath);
  if (!path) return;
  std::string line(text, strnlen(text, kMaxLogLineLength));
  line.push_back('\n');
  // One write on an append-mode descriptor keeps lines from different threads whole.
  const int fd = ::open(path->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
  ::close(fd);
}

}  // namespace vtr
