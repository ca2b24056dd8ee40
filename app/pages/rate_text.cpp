#include "app/pages/rate_text.h"

#include "app/core/property_sheet.h"

namespace pages {

QString BitRateText(int32_t bitsPerSecond) {
  if (bitsPerSecond < 1000) return QString::asprintf("%d bps", bitsPerSecond);
  if (bitsPerSecond < 1000000) return QString::asprintf("%.1f Kbps", bitsPerSecond * 0.001);
  return QString::asprintf("%.1f Mbps", bitsPerSecond * 0.000001);
}

QString AxisMiddleText(int32_t top) {
  if (top < 2000) return QString::asprintf("%d bps", top / 2);
  if (top < 2000000) return QString::asprintf("%.1f Kbps", top * 0.0005);
  return QString::asprintf("%.1f Mbps", top * 0.0000005);
}

QString AxisResetTopText(int32_t top) {
  return QString::asprintf("%d Kbps", top / 1000);
}

QString LinkRateText(uint32_t rate) {
  return core::TooltipRateText(rate);
}

QString LinkSpeedText(uint32_t transmitRate, uint32_t receiveRate) {
  return LinkRateText(transmitRate) + " Mbps / " + LinkRateText(receiveRate) + " Mbps";
}

}  // namespace pages
