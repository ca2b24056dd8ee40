// CVantrelAboutPage: the maker's logo under water that follows the mouse, the link to the maker's
// web site, the adapter's firmware, driver and MAC address, and the versions of the adapter
// library and of the utility itself.
#pragma once

#include <QString>
#include <cstdint>

#include "app/core/clock_bridge.h"
#include "app/core/sheet_page.h"
#include "app/core/vtr_library.h"

class QLabel;

namespace controls {
class HyperlinkLabel;
class RippleImage;
}  // namespace controls

namespace pages {

enum AboutControl : int {
  kAboutAdapterGroup = 6000,
  kAboutUtilityGroup = 6001,
  kAboutRegionLabel = 6002,
  kAboutFirmwareLabel = 6003,
  kAboutDriverLabel = 6004,
  kAboutLibraryLabel = 6005,
  kAboutUtilityLabel = 6006,
  kAboutMacLabel = 6007,
  kAboutRegionField = 6008,
  kAboutFirmwareField = 6009,
  kAboutDriverField = 6010,
  kAboutMacField = 6011,
  kAboutLibraryField = 6012,
  kAboutUtilityField = 6013,
  kAboutLink = 6014,
};

// The driver line: its version, and its date as month/day/year after two blanks when it has one.
QString AdapterDriverText(const VtrAdapterInfo& info);

// The utility's own program file in its folder.
inline constexpr const char* kUtilityFileName = "radiodesk";

class CVantrelAboutPage : public core::SheetPage {
 public:
  static constexpr uint32_t kRippleStepMs = 30;

  CVantrelAboutPage(core::CVantrelPropertySheet& sheet, const core::CVtrLibrary& lib);

  void OnSetActive() override;
  void OnKillActive() override;
  // Reads the adapter's facts and the two files' versions into the fields.
  void Refresh();

  controls::RippleImage& Logo() const { return *logo_; }
  controls::HyperlinkLabel& Link() const { return *link_; }
  bool Rippling() const { return rippleTimer_.IsActive(); }

 private:
  void BuildLayout();
  void SetTexts();
  void AlignLabels();
  void ShowLink();

  const core::CVtrLibrary& lib_;
  controls::RippleImage* logo_ = nullptr;
  controls::HyperlinkLabel* link_ = nullptr;
  core::MachineTimer rippleTimer_;
};

}  // namespace pages
