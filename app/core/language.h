// The utility's texts. Every text is looked up in the language file chosen at start (a UTF-8
// settings file read with the library's own reader) under a section and a five-character key,
// with its English text built in as the default; "<%CORP_NAME%>" becomes the maker's display name.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace core {

inline constexpr size_t kLangBufferSize = 1024;
inline constexpr size_t kLangCaptionSize = 64;
inline constexpr std::string_view kCorpNameMark = "<%CORP_NAME%>";

// The text of section/key (or fallback), the maker's name put in, cut to capacity - 1 bytes.
std::string LangLookup(std::string_view section, std::string_view key, std::string_view fallback,
                       size_t capacity = kLangBufferSize);
// The same without the "<%CORP_NAME%>" substitution.
std::string LangLookupPlain(std::string_view section, std::string_view key,
                            std::string_view fallback, size_t capacity = kLangBufferSize);
// A page's tab caption: key "10000" of its section, without the substitution, at most 63 bytes.
QString LangCaption(std::string_view section, std::string_view fallback);

// Sets the text of window itself (toSelf) or of its child whose controlId is controlId.
void LangSetText(QWidget* window, bool toSelf, int controlId, std::string_view section,
                 std::string_view key, std::string_view fallback);

// Told of every lookup: its section, key and built-in English text. The test suite checks with it
// that every text the utility reads is in every language file. Null (the default) tells nobody.
using LookupObserver = void (*)(std::string_view section, std::string_view key,
                                std::string_view fallback);
void SetLookupObserver(LookupObserver observer);

// Puts the maker's display name in place of every "<%CORP_NAME%>".
std::string SubstituteCorpName(std::string text, std::string_view corpName);

// A UTF-8 text (cut at a byte count) for Qt: a cut half-character becomes nothing.
QString ToQString(std::string_view text);

}  // namespace core
