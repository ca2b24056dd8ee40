// The Network Status page's texts of bit rates: the graph titles, their axis labels and the link
// speed.
#pragma once

#include <QString>
#include <cstdint>

namespace pages {

// "999 bps", "1.0 Kbps", "1.5 Mbps": whole bits below 1000, else one decimal of the larger unit.
QString BitRateText(int32_t bitsPerSecond);
// The middle label of an axis whose top is top: half of it, in the unit half of it needs.
QString AxisMiddleText(int32_t top);
// The top label as a cleared graph shows it: whole kilobits.
QString AxisResetTopText(int32_t top);
// A link rate in 100 kbit/s units as whole or half megabits: 540 "54", 135 "13.5", and any
// other tenth also ".5", as the tray's tooltip writes it.
QString LinkRateText(uint32_t rate);
// The Tx / Rx Speed field: "54 Mbps / 13.5 Mbps".
QString LinkSpeedText(uint32_t transmitRate, uint32_t receiveRate);

}  // namespace pages
