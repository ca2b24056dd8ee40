#include "utility/language_catalogue.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <set>
#include <tuple>

#include "app/core/language.h"

namespace app_testing {

namespace {

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// A value in matching double quotes loses them, as the program reads it.
std::string Unquoted(std::string text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

std::mutex recordedMutex;
std::set<std::tuple<std::string, std::string, std::string>> recorded;

void KeepLookup(std::string_view section, std::string_view key, std::string_view fallback) {
  std::lock_guard lock(recordedMutex);
  recorded.emplace(section, key, fallback);
}

}  // namespace

LangFile ReadLangFile(const std::filesystem::path& path) {
  LangFile file;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::string section;
  while (std::getline(in, line)) {
    const std::string text = Trimmed(line);
    if (text.empty() || text[0] == ';') continue;
    if (text.front() == '[') {
      section = Upper(Trimmed(std::string_view(text).substr(1, text.find(']') - 1)));
      continue;
    }
    const size_t equals = text.find('=');
    if (equals == std::string::npos) continue;
    LangKey key{section, Upper(Trimmed(std::string_view(text).substr(0, equals)))};
    if (!file.texts.emplace(key, Unquoted(Trimmed(std::string_view(text).substr(equals + 1))))
             .second) {
      file.duplicates.push_back(std::move(key));
    }
  }
  return file;
}

std::map<std::string, LangFile> ReadLangFolder(const std::filesystem::path& folder) {
  std::map<std::string, LangFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".lng") {
      files.emplace(entry.path().filename().string(), ReadLangFile(entry.path()));
    }
  }
  return files;
}

void RecordLookups() {
  core::SetLookupObserver(&KeepLookup);
}

std::vector<std::string> CheckRecordedLookups(const std::filesystem::path& langFolder) {
  std::set<std::tuple<std::string, std::string, std::string>> lookups;
  {
    std::lock_guard lock(recordedMutex);
    lookups.swap(recorded);
  }
  std::vector<std::string> faults;
  for (const auto& [name, file] : ReadLangFolder(langFolder)) {
    for (const auto& [section, key, fallback] : lookups) {
      const auto found = file.texts.find({Upper(section), Upper(key)});
      const std::string where = name + " [" + section + "] " + key;
      if (found == file.texts.end()) {
        faults.push_back(where + " is missing");
      } else if (name == "United_States.lng" && found->second != fallback) {
        faults.push_back(where + " is \"" + found->second + "\", the program's own text \"" +
                         fallback + "\"");
      }
    }
  }
  return faults;
}

}  // namespace app_testing
