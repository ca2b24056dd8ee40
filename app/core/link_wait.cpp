#include "app/core/link_wait.h"

#include <cstring>
#include <string_view>

#include "app/core/worker.h"

namespace core {

namespace {

std::string_view Text(const char* field, size_t size) {
  return std::string_view(field, strnlen(field, size));
}

}  // namespace

bool LinkShowsRecord(const VtrLinkInfo& link, const ProfileRecord& record) {
  return Text(link.ssid, sizeof link.ssid) == Text(record.ssid, sizeof record.ssid) &&
         Text(link.bssid, sizeof link.bssid) == Text(record.bssid, sizeof record.bssid);
}

bool WaitForLink(const CVtrLibrary& lib, std::stop_token stop, const ProfileRecord& record,
                 int checks) {
  for (int check = 0; check < checks; ++check) {
    VtrLinkInfo link{};
    lib.APLinkInformation(&link, 0);
    if (LinkShowsRecord(link, record)) return true;
    if (!SleepFor(stop, kLinkCheckMs)) return false;
  }
  return false;
}

}  // namespace core
