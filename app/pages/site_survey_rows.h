// What the Site Survey list shows of each survey entry: its eight columns (header, base width,
// alignment, cell text), its row image, and whether it is the network the adapter is with; and
// how the page's pictures move for the language the utility runs in.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vtrlib.h"

namespace pages {

struct SurveyColumn {
  std::string_view key;  // section "SITE_SURVEY"
  std::string_view header;
  int baseWidth;
  Qt::Alignment alignment;
};

// In column order, which is also the sort key a header click selects.
extern const std::array<SurveyColumn, 8> kSurveyColumns;

// Each column as wide as its share of the base widths of clientWidth, cut to a whole number, so
// the eight fill the list without a horizontal scroll bar.
std::vector<int> SurveyColumnWidths(int clientWidth);

// The entry is the network the adapter is associated with: the link names its SSID and BSSID, or
// the entry's name is hidden and the BSSID is the link's.
bool IsAssociatedEntry(const VtrSurveyEntry& entry, const VtrLinkInfo& link);

// The row image (controls::SurveyRowImage), the connected variant for the associated network.
int SurveyRowImageFor(const VtrSurveyEntry& entry, const VtrLinkInfo& link);

// The eight cell texts of an entry, in column order.
std::array<QString, 8> SurveyCells(const VtrSurveyEntry& entry);

// How the scan picture (2006 in frame 2007) and the connection picture (2009 in frame 2011) are
// moved and shrunk for the "Language" setting (none: nothing moves).
struct PictureAdjustment {
  int scanShiftRight = 0;
  int scanPictureNarrower = 0;
  int scanFrameNarrower = 0;
  int shiftDown = 0;  // all four, each this much shorter too
  int connectNarrower = 0;
  bool operator==(const PictureAdjustment&) const = default;
};
PictureAdjustment PictureAdjustmentFor(const std::optional<std::string>& language);

}  // namespace pages
