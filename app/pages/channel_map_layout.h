// The channel map's geometry: every network of the survey as a shape standing over the
// frequencies it occupies (its channel's centre, 22 MHz wide for 802.11b and 20 MHz otherwise),
// as tall as its signal, in one plot for 2.4 GHz and one for 5 GHz side by side. Shapes whose
// frequencies overlap overlap on the map. Pure geometry: the view paints it and hit-tests it.
#pragma once

#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <array>
#include <span>
#include <vector>

#include "vtrlib.h"

namespace pages {

enum class SecurityKind { Open, Wep, Personal, Enterprise, Unknown };
SecurityKind SecurityKindOf(uint32_t authMask, uint32_t cipherMask);

// The centre frequency of a channel in MHz (0 for a number no band has).
int ChannelCentreMhz(uint32_t channel);

struct ChannelShape {
  int surveyIndex = -1;
  bool fiveGhz = false;
  QPolygonF outline;  // a trapezoid: the occupied band at the base, the signal at the top
  SecurityKind security = SecurityKind::Unknown;
  bool associated = false;
  bool adHoc = false;
  QString label;  // the name, or the access point's address for a hidden name
};

struct ChannelTick {
  QPointF at;  // on the plot's base line
  uint32_t channel;
};

// The four signal bands the map counts: 75-100, 50-74, 25-49 and 0-24.
using SignalBandCounts = std::array<int, 4>;
SignalBandCounts CountSignalBands(std::span<const VtrSurveyEntry> entries);

struct ChannelMapLayout {
  QRectF plot24;
  QRectF plot5;
  std::vector<ChannelTick> ticks;
  // Strongest first, so that weaker networks are drawn over them and stay visible.
  std::vector<ChannelShape> shapes;
  SignalBandCounts signalBands{};
};

// Lays the survey out in area (the plots fill it, less the room for axis texts). The 5 GHz plot
// spans the sub-bands that hold a network (36-64, 100-144, 149-165), the first when none does.
ChannelMapLayout LayOutChannelMap(std::span<const VtrSurveyEntry> entries, const VtrLinkInfo& link,
                                  const QRectF& area);

// The survey index of the shape drawn on top at point, or -1.
int ShapeAt(const ChannelMapLayout& layout, const QPointF& point);

}  // namespace pages
