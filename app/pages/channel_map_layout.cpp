#include "app/pages/channel_map_layout.h"

#include <algorithm>
#include <cstring>

#include "app/core/language.h"
#include "app/core/survey_profile.h"
#include "app/core/survey_text.h"
#include "app/pages/site_survey_rows.h"

namespace pages {

namespace {

constexpr int kFirst24Mhz = 2401;
constexpr int kLast24Mhz = 2495;
constexpr int kDsssWidthMhz = 22;
constexpr int kOfdmWidthMhz = 20;
constexpr uint32_t kChannelStep5Ghz = 4;

struct SubBand {
  int firstMhz;
  int lastMhz;
  uint32_t firstChannel;
  uint32_t lastChannel;
};
constexpr std::array<SubBand, 3> kSubBands = {{
    {5170, 5330, 36, 64},
    {5490, 5730, 100, 144},
    {5735, 5835, 149, 165},
}};

// Room for the texts around the plots: channel numbers below, signal steps on the left, names
// above the tallest shapes; and the gaps between the plots and between the 5 GHz sub-bands.
constexpr qreal kLeftRoom = 42;
constexpr qreal kRightRoom = 8;
constexpr qreal kTopRoom = 22;
constexpr qreal kBottomRoom = 20;
constexpr qreal kPlotGap = 26;
constexpr qreal kSubBandGap = 10;
constexpr qreal kShare24 = 0.55;
constexpr qreal kMinimumHeight = 3;
constexpr qreal kSlopeShare = 0.15;

// Maps frequencies onto a plot's width: linear within each span, spans side by side.
class FrequencyAxis {
 public:
  FrequencyAxis(const QRectF& plot, std::vector<SubBand> spans) : spans_(std::move(spans)) {
    int total = 0;
    for (const SubBand& span : spans_) total += span.lastMhz - span.firstMhz;
    const qreal gaps = kSubBandGap * static_cast<qreal>(spans_.size() - 1);
    scale_ = (plot.width() - gaps) / total;
    qreal x = plot.left();
    for (const SubBand& span : spans_) {
      lefts_.push_back(x);
      x += (span.lastMhz - span.firstMhz) * scale_ + kSubBandGap;
    }
  }

  qreal X(int mhz) const {
    size_t nearest = 0;
    for (size_t i = 0; i < spans_.size(); ++i) {
      if (mhz >= spans_[i].firstMhz) nearest = i;
    }
    const SubBand& span = spans_[nearest];
    const int clamped = std::clamp(mhz, span.firstMhz, span.lastMhz);
    return lefts_[nearest] + (clamped - span.firstMhz) * scale_;
  }

  const std::vector<SubBand>& Spans() const { return spans_; }

 private:
  std::vector<SubBand> spans_;
  std::vector<qreal> lefts_;
  qreal scale_ = 1;
};

// The 5 GHz sub-bands that hold a network; the first alone when none does.
std::vector<SubBand> OccupiedSubBands(std::span<const VtrSurveyEntry> entries) {
  std::vector<SubBand> used;
  for (const SubBand& band : kSubBands) {
    const bool occupied = std::any_of(entries.begin(), entries.end(), [&](const auto& entry) {
      const int mhz = ChannelCentreMhz(entry.channel);
      return mhz >= band.firstMhz && mhz <= band.lastMhz;
    });
    if (occupied) used.push_back(band);
  }
  if (used.empty()) used.push_back(kSubBands[0]);
  return used;
}

QString ShapeLabel(const VtrSurveyEntry& entry) {
  const std::string ssid = core::SurveySsid(entry);
  if (!ssid.empty()) return core::ToQString(ssid);
  return core::ToQString(std::string_view(entry.bssid, strnlen(entry.bssid, sizeof entry.bssid)));
}

ChannelShape ShapeFor(const VtrSurveyEntry& entry, int index, const VtrLinkInfo& link,
                      const QRectF& plot, const FrequencyAxis& axis, bool fiveGhz) {
  const int centre = ChannelCentreMhz(entry.channel);
  const int half = (entry.phyMode == VTR_PHY_11B ? kDsssWidthMhz : kOfdmWidthMhz) / 2;
  const qreal left = axis.X(centre - half);
  const qreal right = axis.X(centre + half);
  const qreal signal = std::clamp(entry.signal, 0, 100);
  const qreal height = std::max(kMinimumHeight, plot.height() * signal / 100.0);
  const qreal slope = (right - left) * kSlopeShare;
  const qreal base = plot.bottom();
  ChannelShape shape;
  shape.surveyIndex = index;
  shape.fiveGhz = fiveGhz;
  shape.outline << QPointF(left, base) << QPointF(left + slope, base - height)
                << QPointF(right - slope, base - height) << QPointF(right, base);
  shape.security = SecurityKindOf(entry.authMask, entry.cipherMask);
  shape.associated = IsAssociatedEntry(entry, link);
  shape.adHoc = entry.networkType == 0;
  shape.label = ShapeLabel(entry);
  return shape;
}

}  // namespace

// The kinds follow the list's security words, so the map and the list never disagree.
SecurityKind SecurityKindOf(uint32_t authMask, uint32_t cipherMask) {
  const std::string text = core::SecurityText(authMask, cipherMask);
  if (text == "None") return SecurityKind::Open;
  if (text == "WEP") return SecurityKind::Wep;
  if (text.ends_with("Radius")) return SecurityKind::Enterprise;
  if (text.ends_with("PSK")) return SecurityKind::Personal;
  return SecurityKind::Unknown;
}

int ChannelCentreMhz(uint32_t channel) {
  if (channel >= 1 && channel <= 13) return 2407 + 5 * static_cast<int>(channel);
  if (channel == 14) return 2484;
  if (channel >= 32 && channel <= 177) return 5000 + 5 * static_cast<int>(channel);
  return 0;
}

SignalBandCounts CountSignalBands(std::span<const VtrSurveyEntry> entries) {
  SignalBandCounts counts{};
  for (const VtrSurveyEntry& entry : entries) {
    if (entry.signal >= 75) {
      ++counts[0];
    } else if (entry.signal >= 50) {
      ++counts[1];
    } else if (entry.signal >= 25) {
      ++counts[2];
    } else {
      ++counts[3];
    }
  }
  return counts;
}

ChannelMapLayout LayOutChannelMap(std::span<const VtrSurveyEntry> entries, const VtrLinkInfo& link,
                                  const QRectF& area) {
  ChannelMapLayout layout;
  const QRectF plots = area.adjusted(kLeftRoom, kTopRoom, -kRightRoom, -kBottomRoom);
  const qreal width24 = (plots.width() - kPlotGap) * kShare24;
  layout.plot24 = QRectF(plots.left(), plots.top(), width24, plots.height());
  layout.plot5 = QRectF(layout.plot24.right() + kPlotGap, plots.top(),
                        plots.width() - kPlotGap - width24, plots.height());
  const FrequencyAxis axis24(layout.plot24, {{kFirst24Mhz, kLast24Mhz, 1, 14}});
  const FrequencyAxis axis5(layout.plot5, OccupiedSubBands(entries));

  for (uint32_t channel = 1; channel <= 14; ++channel) {
    layout.ticks.push_back({QPointF(axis24.X(ChannelCentreMhz(channel)), plots.bottom()), channel});
  }
  for (const SubBand& band : axis5.Spans()) {
    for (uint32_t channel = band.firstChannel; channel <= band.lastChannel;
         channel += kChannelStep5Ghz) {
      layout.ticks.push_back(
          {QPointF(axis5.X(ChannelCentreMhz(channel)), plots.bottom()), channel});
    }
  }

  std::vector<int> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return entries[static_cast<size_t>(a)].signal > entries[static_cast<size_t>(b)].signal;
  });
  for (const int index : order) {
    const VtrSurveyEntry& entry = entries[static_cast<size_t>(index)];
    const int centre = ChannelCentreMhz(entry.channel);
    if (centre == 0) continue;
    const bool fiveGhz = centre >= 5000;
    layout.shapes.push_back(ShapeFor(entry, index, link, fiveGhz ? layout.plot5 : layout.plot24,
                                     fiveGhz ? axis5 : axis24, fiveGhz));
  }
  layout.signalBands = CountSignalBands(entries);
  return layout;
}

int ShapeAt(const ChannelMapLayout& layout, const QPointF& point) {
  for (auto shape = layout.shapes.rbegin(); shape != layout.shapes.rend(); ++shape) {
    if (shape->outline.containsPoint(point, Qt::OddEvenFill)) return shape->surveyIndex;
  }
  return -1;
}

}  // namespace pages
