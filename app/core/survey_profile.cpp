#include "app/core/survey_profile.h"

#include <cstring>
#include <string>

#include "app/core/settings.h"

namespace core {

namespace {

constexpr uint32_t kAuthWpaPskBoth = 12;
constexpr uint32_t kAuthWpaBoth = 48;
constexpr uint32_t kAuthWpaPsk = 4;
constexpr uint32_t kAuthWpa = 16;
constexpr uint32_t kAuthWpa2 = 32;
constexpr uint32_t kAuthAutoSwitch = 2;
constexpr uint32_t kAuthOpen = 0;
constexpr uint32_t kCipherWep = 1;
constexpr uint32_t kCipherTkipAes = 6;
constexpr uint32_t kCipherTkip = 2;
constexpr uint32_t kAdapterKindOpenWep = 5;
constexpr uint32_t kPhy11b = 2;
constexpr uint32_t kPhy11g = 4;
constexpr uint32_t kPhy11a = 6;
constexpr uint32_t kPhyUndetermined = 8;

template <size_t N>
void CopyText(char (&field)[N], const char* text, size_t length) {
  std::memset(field, 0, N);
  std::memcpy(field, text, std::min(length, N - 1));
}

}  // namespace

std::string SurveySsid(const VtrSurveyEntry& entry) {
  return std::string(entry.ssid, strnlen(entry.ssid, sizeof entry.ssid));
}

uint32_t ProfileEncryptionFromSurvey(uint32_t cipherMask) {
  return cipherMask == kCipherTkipAes ? kCipherTkip : cipherMask;
}

uint32_t ProfileAuthModeFromSurvey(uint32_t authMask, uint32_t cipherMask, uint32_t adapterKind) {
  if (cipherMask == kCipherWep) {
    return adapterKind == kAdapterKindOpenWep ? kAuthOpen : kAuthAutoSwitch;
  }
  if (authMask == kAuthWpaBoth) return kAuthWpa;
  if (authMask == kAuthWpaPskBoth) return kAuthWpaPsk;
  return authMask;
}

void FillProfileFromSurvey(const CVtrLibrary& lib, ProfileRecord& record,
                           const VtrSurveyEntry& entry, uint32_t adapterKind) {
  char name[sizeof record.profileName];
  std::memcpy(name, record.profileName, sizeof name);
  lib.InitialProfile(&record);
  std::memcpy(record.profileName, name, sizeof name);

  const std::string ssid = SurveySsid(entry);
  CopyText(record.ssid, ssid.data(), ssid.size());
  CopyText(record.bssid, entry.bssid, strnlen(entry.bssid, sizeof entry.bssid));
  record.surveyChannel = entry.channel;
  record.networkType = entry.networkType;
  record.phyMode = entry.phyMode;
  record.htNetwork = entry.isHt;
  if (entry.isHt == 1) record.htEnabled = 1;
  record.authMode = ProfileAuthModeFromSurvey(entry.authMask, entry.cipherMask, adapterKind);
  record.encryption = ProfileEncryptionFromSurvey(entry.cipherMask);
}

bool EnterpriseModesOff() {
  std::string ignored;
  return ReadSetting("EnterpriseOff", ignored) == 0;
}

bool IsEnterpriseNetwork(const VtrSurveyEntry& entry) {
  return entry.authMask == kAuthWpa || entry.authMask == kAuthWpa2 ||
         entry.authMask == kAuthWpaBoth;
}

bool BlockedByEnterpriseOff(const VtrSurveyEntry& entry) {
  return IsEnterpriseNetwork(entry) && EnterpriseModesOff();
}

void PrepareAdHocFromSurvey(ProfileRecord& record, const VtrSurveyEntry& entry) {
  const bool known =
      entry.phyMode == kPhy11b || entry.phyMode == kPhy11g || entry.phyMode == kPhy11a;
  record.adhocWirelessMode = known ? entry.phyMode : kPhyUndetermined;
  record.adhocChannel = record.surveyChannel;
}

}  // namespace core
