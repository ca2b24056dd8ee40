#include "app/pages/file_facts.h"

#include "platform/services.h"

namespace pages {

QString FileVersionText(const std::string& path) {
  const auto version = platform::Current().Files().FileVersion(path);
  if (!version) return {};
  return QString::asprintf("%u.%u.%u.%u", version->fileVersionMs >> 16,
                           version->fileVersionMs & 0xFFFF, version->fileVersionLs >> 16,
                           version->fileVersionLs & 0xFFFF);
}

QString FileDateText(const std::string& path) {
  platform::FilesPort& files = platform::Current().Files();
  // A file being replaced may be missing for a moment: it is looked for a second time.
  auto written = files.LastWriteLocalTime(path);
  if (!written) written = files.LastWriteLocalTime(path);
  if (!written) return {};
  return QString::asprintf("%u-%u-%u", unsigned{written->month}, unsigned{written->day},
                           unsigned{written->year});
}

QString FileFactsText(const std::string& path) {
  return FileVersionText(path) + " (" + FileDateText(path) + ")";
}

}  // namespace pages
