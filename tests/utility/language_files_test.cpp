// The shipped language files against the English one and the program's sources: the same keys
// everywhere, the same format directives, marks and mnemonics in each translation, and no key
// the program never reads. (That every key the program reads is in every file is checked after
// each utility test, from the lookups it made.)
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "utility/language_catalogue.h"

namespace app_testing {
namespace {

const std::filesystem::path kSourceDir = RADIODESK_SOURCE_DIR;
constexpr const char* kEnglish = "United_States.lng";

std::map<std::string, LangFile> ShippedFiles() {
  return ReadLangFolder(kSourceDir / "app" / "Lang");
}

std::string Describe(const std::string& file, const LangKey& key) {
  return file + " [" + key.first + "] " + key.second;
}

// The printf directives of a text in order, "<%CORP_NAME%>" marks apart.
std::vector<std::string> Directives(const std::string& text) {
  static const std::regex directive(
      R"(<%CORP_NAME%>|%(%|[-+ #0]*[0-9*]*(\.[0-9*]+)?(hh|h|ll|l|I64|z)?[diouxXcsSeEfgGp]))");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), directive);
       it != std::sregex_iterator(); ++it) {
    found.push_back(it->str());
  }
  return found;
}

// The number of keyboard mnemonics: a single "&" (a doubled one shows an ampersand).
int Mnemonics(const std::string& text) {
  int count = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '&') continue;
    if (at + 1 < text.size() && text[at + 1] == '&') {
      ++at;
    } else {
      ++count;
    }
  }
  return count;
}

TEST(LanguageFiles, EveryFileHasExactlyTheEnglishKeysOnce) {
  const auto files = ShippedFiles();
  ASSERT_TRUE(files.count(kEnglish));
  const LangFile& english = files.at(kEnglish);
  for (const auto& [name, file] : files) {
    for (const LangKey& key : file.duplicates) ADD_FAILURE() << Describe(name, key) << " twice";
    for (const auto& [key, text] : english.texts) {
      EXPECT_TRUE(file.texts.count(key)) << Describe(name, key) << " is missing";
    }
    for (const auto& [key, text] : file.texts) {
      EXPECT_TRUE(english.texts.count(key)) << Describe(name, key) << " is not an English key";
    }
  }
}

TEST(LanguageFiles, TranslationsKeepDirectivesMarksAndMnemonics) {
  const auto files = ShippedFiles();
  const LangFile& english = files.at(kEnglish);
  for (const auto& [name, file] : files) {
    for (const auto& [key, text] : file.texts) {
      const auto original = english.texts.find(key);
      if (original == english.texts.end()) continue;
      EXPECT_EQ(Directives(text), Directives(original->second)) << Describe(name, key);
      EXPECT_EQ(Mnemonics(text), Mnemonics(original->second)) << Describe(name, key);
      EXPECT_FALSE(text.empty() && !original->second.empty()) << Describe(name, key) << " empty";
    }
  }
}

TEST(LanguageFiles, TheDirectiveReaderTellsDirectivesFromText) {
  EXPECT_EQ(Directives("%d%% <%CORP_NAME%> %s %5.1f %lu 100%"),
            (std::vector<std::string>{"%d", "%%", "<%CORP_NAME%>", "%s", "%5.1f", "%lu"}));
  EXPECT_EQ(Mnemonics("&Save && E&xit"), 2);
  EXPECT_EQ(Mnemonics("保存(&S)"), 1);
}

// A key is read when the program's sources name its section and its key as string literals.
// (Pages keep a section's keys in tables beside a lookup helper, so the two need not be in one
// file; that every key read is in the files is checked from the lookups themselves.)
TEST(LanguageFiles, EveryEnglishKeyIsReadByTheProgram) {
  std::string sources;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kSourceDir / "app")) {
    const auto extension = entry.path().extension();
    if (extension != ".cpp" && extension != ".h") continue;
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    sources += text.str();
  }
  const LangFile english = ShippedFiles().at(kEnglish);
  for (const auto& [key, text] : english.texts) {
    EXPECT_NE(sources.find('"' + key.first + '"'), std::string::npos)
        << Describe(kEnglish, key) << ": no source names the section";
    EXPECT_NE(sources.find('"' + key.second + '"'), std::string::npos)
        << Describe(kEnglish, key) << " is never read";
  }
}

}  // namespace
}  // namespace app_testing
