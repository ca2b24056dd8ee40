// CRadiodeskApp: the utility's start-up. It settles the program folder, the branding and the
// settings key, the language, that only one copy runs, that the adapter library is bound, the
// first start's wait for the adapter, the zero-configuration service, a stray link, and then
// makes the sheet.
#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "app/core/instance_guard.h"
#include "app/core/property_sheet.h"
#include "app/core/vtr_library.h"

namespace core {

inline constexpr const char* kLoadFailureText =
    "Load Vantrel Library error or version is too old !!";
inline constexpr const char* kFirstRunDone = "255";

// The language files by the registry's "Language" value.
struct LanguageChoice {
  const char* file;  // below the program folder
  const char* code;  // section of res/CorpInfo.ini
};
// The file and code for a "Language" value (compared without regard to case); United States
// English for anything else and for no value.
LanguageChoice ChooseLanguage(const std::optional<std::string>& value);

class CRadiodeskApp {
 public:
  struct Options {
    // The program folder; empty: the folder of the running executable.
    std::string programDir;
    PageFactories pages;
  };

  CRadiodeskApp(const CVtrLibrary& lib, Options options);
  ~CRadiodeskApp();

  // Runs the start-up steps. False when the program should end now (another copy runs, the
  // library is missing, or the user gave up waiting for the adapter).
  bool InitInstance();

  CVantrelPropertySheet* Sheet() const { return sheet_.get(); }

 private:
  void SettleProgramFolder();
  void ReadBranding();
  void ChooseLanguageFile();
  bool WaitOnFirstRun();
  void TakeAdapterFromWindows();
  void DropStrayLink();

  const CVtrLibrary& lib_;
  Options options_;
  std::unique_ptr<InstanceGuard> instance_;
  std::unique_ptr<CVantrelPropertySheet> sheet_;
};

}  // namespace core
