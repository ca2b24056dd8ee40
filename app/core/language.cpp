#include "app/core/language.h"

#include <QWidget>
#include <atomic>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "lib/common/private_profile.h"

namespace core {

namespace {

std::atomic<LookupObserver> lookupObserver{nullptr};

std::string CutToCapacity(std::string text, size_t capacity) {
  if (capacity == 0) return {};
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}

std::string ReadLanguageValue(std::string_view section, std::string_view key,
                              std::string_view fallback) {
  if (const LookupObserver observer = lookupObserver.load(std::memory_order_acquire)) {
    observer(section, key, fallback);
  }
  return CutToCapacity(
      vtr::PrivateProfileStringFromFile(State().languageFilePath, section, key, fallback),
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
