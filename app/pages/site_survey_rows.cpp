#include "app/pages/site_survey_rows.h"

#include <cstring>

#include "app/controls/survey_artwork.h"
#include "app/core/language.h"
#include "app/core/survey_profile.h"
#include "app/core/survey_text.h"

namespace pages {

namespace {

constexpr uint32_t kLinkAssociated = 1;
constexpr uint32_t kNetworkAdHoc = 0;

std::string_view Text(const char* field, size_t size) {
  return std::string_view(field, strnlen(field, size));
}

}  // namespace

const std::array<SurveyColumn, 8> kSurveyColumns = {{
    {"10060", "Network Name", 132, Qt::AlignLeft | Qt::AlignVCenter},
    {"10070", "MAC Address", 110, Qt::AlignLeft | Qt::AlignVCenter},
    {"10080", "Security", 78, Qt::AlignCenter},
    {"10085", "WPS", 40, Qt::AlignCenter},
    {"10090", "CH.", 42, Qt::AlignCenter},
    {"100A0", "Signal", 48, Qt::AlignCenter},
    {"100C0", "Network Type", 88, Qt::AlignCenter},
    {"100B0", "Frequency", 66, Qt::AlignCenter},
}};

std::vector<int> SurveyColumnWidths(int clientWidth) {
  int base = 0;
  for (const SurveyColumn& column : kSurveyColumns) base += column.baseWidth;
  std::vector<int> widths;
  for (const SurveyColumn& column : kSurveyColumns) {
    widths.push_back(static_cast<int>(static_cast<double>(clientWidth) / base * column.baseWidth));
  }
  return widths;
}

bool IsAssociatedEntry(const VtrSurveyEntry& entry, const VtrLinkInfo& link) {
  if (link.linkState != kLinkAssociated) return false;
  const std::string_view bssid = Text(entry.bssid, sizeof entry.bssid);
  if (bssid != Text(link.bssid, sizeof link.bssid)) return false;
  const std::string ssid = core::SurveySsid(entry);
  return ssid.empty() || ssid == Text(link.ssid, sizeof link.ssid);
}

int SurveyRowImageFor(const VtrSurveyEntry& entry, const VtrLinkInfo& link) {
  int image = controls::kRowAdHoc;
  if (entry.networkType != kNetworkAdHoc) {
    switch (entry.phyMode) {
      case VTR_PHY_11B:
        image = controls::kRow11b;
        break;
      case VTR_PHY_11G:
        image = controls::kRow11g;
        break;
      case VTR_PHY_11A:
        image = controls::kRow11a;
        break;
      default:
        image = controls::kRowOtherBand;
        break;
    }
  }
  return IsAssociatedEntry(entry, link) ? image + 1 : image;
}

std::array<QString, 8> SurveyCells(const VtrSurveyEntry& entry) {
  const bool adHoc = entry.networkType == kNetworkAdHoc;
  return {core::ToQString(core::SurveySsid(entry)),
          core::ToQString(Text(entry.bssid, sizeof entry.bssid)),
          QString::fromStdString(core::SecurityText(entry.authMask, entry.cipherMask)),
          QString::fromStdString(core::WpsText(entry)),
          QString::number(static_cast<int32_t>(entry.channel)),
          QString::number(entry.signal) + "%",
          core::ToQString(adHoc ? core::LangLookup("PROFILE_MANAGER", "10070", "Ad-Hoc")
                                : core::LangLookup("PROFILE_MANAGER", "10060", "Infrastructure")),
          core::ToQString(Text(entry.frequency, sizeof entry.frequency))};
}

PictureAdjustment PictureAdjustmentFor(const std::optional<std::string>& language) {
  if (!language) return {};
  if (*language == "Japanese") {
    return {.scanShiftRight = 6, .scanPictureNarrower = 6, .scanFrameNarrower = 8};
  }
  if (*language == "Chinese (Traditional)" || *language == "Chinese (Simplified)" ||
      *language == "Korean") {
    return {};
  }
  return {.shiftDown = 2, .connectNarrower = 2};
}

}  // namespace pages
