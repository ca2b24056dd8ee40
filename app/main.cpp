// radiodesk: the wireless utility. It runs on the machine RADIODESK_MACHINE (or --machine)
// names, with the adapter library of its own program folder.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/core/clock_bridge.h"
#include "app/core/radiodesk_app.h"
#include "app/core/vtr_library.h"
#include "app/pages/page_set.h"

namespace {

constexpr const char* kHelp =
    "usage: radiodesk [--machine DIR] [--help] [--version]\n"
    "\n"
    "The wireless utility: the link's state in a window and in the notification area, the\n"
    "networks in range, connection profiles, WPS. It drives the adapter library of its own\n"
    "program folder on the simulated machine that RADIODESK_MACHINE (or --machine DIR) names,\n"
    "the default machine otherwise. Closing the window keeps it in the notification area; the\n"
    "tray menu's Exit ends it. A second start brings the running copy's window back.\n";

// Handles the options a user may give before Qt sees the arguments; -1 to go on.
int HandleOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("radiodesk %s\n", RADIODESK_VERSION);
      return 0;
    }
    if (arg == "--machine") {
      if (i + 1 >= argc) {
        std::fputs("radiodesk: --machine needs a directory\n", stderr);
        return 2;
      }
      ::setenv("RADIODESK_MACHINE", argv[++i], 1);
    }
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int done = HandleOptions(argc, argv); done >= 0) return done;
  QApplication application(argc, argv);
  QApplication::setApplicationName("Radiodesk");
  QApplication::setApplicationVersion(RADIODESK_VERSION);
  QApplication::setQuitOnLastWindowClosed(false);
  int result = 0;
  {
    core::CRadiodeskApp app(core::VtrLibrary(),
                            {.programDir = {}, .pages = pages::AllPages(core::VtrLibrary())});
    if (app.InitInstance()) result = QApplication::exec();
  }
  core::ClockBridge::Instance().Shutdown();
  return result;
}
