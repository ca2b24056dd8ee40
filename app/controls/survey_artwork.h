// The Site Survey page's pictures, drawn rather than loaded: the list's row images (band and
// network type, each with a connected variant, and the 802.11n mark laid over them), the scan
// picture (a radar whose beam turns while the adapter scans) and the connection picture (a
// computer reaching for an access point, then joined to it).
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

namespace controls {

// Row images: ad hoc 0, infrastructure 2 (802.11b), 4 (802.11g), 6 (802.11a), 8 (any other
// band); the next number is the same network while the adapter is associated with it.
enum SurveyRowImage : int {
  kRowAdHoc = 0,
  kRow11b = 2,
  kRow11g = 4,
  kRow11a = 6,
  kRowOtherBand = 8,
  kRowImageCount = 10,
};

// Scan picture resources: 171 at rest, 172-178 the beam's steps.
inline constexpr int kScanPictureRest = 171;
inline constexpr int kScanPictureFirstStep = 172;
inline constexpr int kScanPictureLastStep = 178;
// Connection picture resources: 180-184 the search's steps, 185 connected.
inline constexpr int kConnectPictureFirst = 180;
inline constexpr int kConnectPictureConnected = 185;

// The band colour of a row image (also used by the channel map's legend of bands).
QColor BandColor(int image);
// One row image at size pixels; ht lays the 802.11n mark over it.
QImage SurveyRowImageAt(int image, bool ht, int size);
QIcon SurveyRowIcon(int image, bool ht);

QImage ScanPicture(int picture, int width, int height);
QImage ConnectionPicture(int picture, int width, int height);

}  // namespace controls
