// The version resource a program or library file carries, as a Windows file does, so that the
// About page can read each file's version from the file itself. Built into each file that has a
// version, from the project's version; the platform library itself has none.
#include "platform/file_version.h"
#include "platform/version_resource.h"

namespace {

[[gnu::used]] constexpr auto kVersionResource = platform::VersionInfoBlockBytes(
    {.fileVersionMs = uint32_t{RADIODESK_VERSION_MAJOR} << 16 | RADIODESK_VERSION_MINOR,
     .fileVersionLs = uint32_t{RADIODESK_VERSION_PATCH} << 16 | RADIODESK_VERSION_TWEAK});

}  // namespace
