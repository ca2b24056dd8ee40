// The language files as the test suite sees them: every [SECTION] KEY=text of a file, and the
// texts the utility looked up while a test ran, to check one against the other.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace app_testing {

// (SECTION, KEY) in upper case, as the settings-file rules compare them without case.
using LangKey = std::pair<std::string, std::string>;
struct LangFile {
  std::map<LangKey, std::string> texts;
  std::vector<LangKey> duplicates;  // keys given twice in one section (the first one wins)
};

LangFile ReadLangFile(const std::filesystem::path& path);
// Every *.lng file of a folder, by file name.
std::map<std::string, LangFile> ReadLangFolder(const std::filesystem::path& folder);

// From now on every lookup of the utility is kept, with its built-in English text.
void RecordLookups();
// What the kept lookups find wrong with the language files of a folder: a key missing from a
// file, or an English file whose text is not the built-in one. Clears the kept lookups.
std::vector<std::string> CheckRecordedLookups(const std::filesystem::path& langFolder);

}  // namespace app_testing
