#include "app/core/language.h"

#include <QWidget>
#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "lib/common/private_profile.h"
#include "platform/content_stamp.h"

namespace core {

namespace {

std::atomic<LookupObserver> lookupObserver{nullptr};

std::string CutToCapacity(std::string text, size_t capacity) {
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

// The language file's text. Every page's texts and the refreshes of every second are looked up
// in it, so it is read again only when another file is chosen or the file changed on disk.
class LanguageText {
 public:
  // The text of the file at path; null when it cannot be read.
  std::shared_ptr<const std::string> Of(const std::string& path) {
    const auto onDisk = platform::ContentStamp::OnDisk(path);
    std::lock_guard guard(mutex_);
    if (path != path_ || !stamp_.StillHolds(onDisk)) {
      path_ = path;
      stamp_ = onDisk;
      text_ = Read(path);
    }
    return text_;
  }

 private:
  static std::shared_ptr<const std::string> Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return nullptr;
    return std::make_shared<const std::string>(std::istreambuf_iterator<char>(file),
                                               std::istreambuf_iterator<char>());
  }

  std::mutex mutex_;
  std::string path_;                         // guarded by mutex_
  platform::ContentStamp stamp_;             // guarded by mutex_
  std::shared_ptr<const std::string> text_;  // guarded by mutex_
};

LanguageText& TheLanguageText() {
  static LanguageText text;
  return text;
}

std::string ReadLanguageValue(std::string_view section, std::string_view key,
                              std::string_view fallback) {
  if (const LookupObserver observer = lookupObserver.load(std::memory_order_acquire)) {
    observer(section, key, fallback);
  }
  const auto text = TheLanguageText().Of(State().languageFilePath);
  if (text == nullptr) return CutToCapacity(std::string(fallback), kLangBufferSize);
  return CutToCapacity(
      vtr::PrivateProfileString(text->data(), text->size(), section, key, fallback),
      kLangBufferSize);
}

}  // namespace

void SetLookupObserver(LookupObserver observer) {
  lookupObserver.store(observer, std::memory_order_release);
}

std::string SubstituteCorpName(std::string text, std::string_view corpName) {
  size_t at = 0;
  while ((at = text.find(kCorpNameMark, at)) != std::string::npos) {
    text.replace(at, kCorpNameMark.size(), corpName);
    at += corpName.size();
  }
  return text;
}

std::string LangLookup(std::string_view section, std::string_view key, std::string_view fallback,
                       size_t capacity) {
  return CutToCapacity(
      SubstituteCorpName(ReadLanguageValue(section, key, fallback), State().corpDisplayName),
      capacity);
}

std::string LangLookupPlain(std::string_view section, std::string_view key,
                            std::string_view fallback, size_t capacity) {
  return CutToCapacity(ReadLanguageValue(section, key, fallback), capacity);
}

QString LangCaption(std::string_view section, std::string_view fallback) {
  return ToQString(LangLookupPlain(section, "10000", fallback, kLangCaptionSize));
}

void LangSetText(QWidget* window, bool toSelf, int controlId, std::string_view section,
                 std::string_view key, std::string_view fallback) {
  const QString text = ToQString(LangLookup(section, key, fallback));
  QWidget* target = toSelf ? window : FindControl(window, controlId);
  if (target == nullptr) return;
  SetControlText(target, text);
}

QString ToQString(std::string_view text) {
  // A byte cut may leave half a character at the end; drop it rather than show a box.
  size_t end = text.size();
  size_t start = end;
  while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
  if (start > 0) {
    const auto lead = static_cast<unsigned char>(text[start - 1]);
    const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (end - (start - 1) < need) end = start - 1;
  }
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(end));
}

}  // namespace core
