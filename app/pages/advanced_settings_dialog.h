// CAdvancedSettingsDialog: the modal "Advance Settings" dialog of the Profile Manager page. It
// edits the radio settings of a copy of DefaultProfileRecord (preamble, transmit rate,
// fragmentation and RTS/CTS thresholds, the 802.11n settings) and writes the copy back only on
// "&OK"; the library applies them when it connects with the profile.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "vtrlib.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;

namespace pages {

enum AdvancedControl : int {
  kAdvancedProtocolGroup = 3012,
  kAdvancedKeepSettings = 3013,
  kAdvancedPreambleLabel = 3014,
  kAdvancedPreamble = 3015,
  kAdvancedRateLabel = 3016,
  kAdvancedRate = 3017,
  kAdvancedFragmentLabel = 3018,
  kAdvancedFragment = 3019,
  kAdvancedFragmentLow = 3020,
  kAdvancedFragmentValue = 3021,
  kAdvancedFragmentHigh = 3022,
  kAdvancedRtsLabel = 3023,
  kAdvancedRts = 3024,
  kAdvancedRtsLow = 3025,
  kAdvancedRtsValue = 3026,
  kAdvancedRtsHigh = 3027,
  kAdvancedHtGroup = 3028,
  kAdvancedHtEnable = 3029,
  kAdvancedWidthLabel = 3030,
  kAdvancedWidth = 3031,
  kAdvancedGuardLabel = 3032,
  kAdvancedGuard = 3033,
  kAdvancedExtensionLabel = 3034,
  kAdvancedExtension = 3035,
  kAdvancedAntennaLabel = 3036,
  kAdvancedAntenna = 3037,
  kAdvancedReset = 3038,
  kAdvancedOk = 3039,
  kAdvancedCancel = 3040,
};

inline constexpr uint32_t kAutomaticRate = 255;
inline constexpr int kThresholdMin = 256;
inline constexpr int kThresholdMax = 2346;
inline constexpr int kThresholdTick = 209;
inline constexpr int kMcsItemBase = 256;

// One entry of the transmit-rate list: its text and its item data (a legacy rate in 500 kbit/s
// units, an MCS index plus 256, or 255 for "Auto").
struct RateChoice {
  QString text;
  uint32_t data = 0;
};

// The transmit rates offered for record on an adapter with that capability (htSupported: the
// adapter does 802.11n), "Auto" first.
std::vector<RateChoice> RateChoices(const ProfileRecord& record, const VtrCapability& capability,
                                    bool htSupported);

class CAdvancedSettingsDialog : public QDialog {
 public:
  explicit CAdvancedSettingsDialog(QWidget* parent);

  // The dialog's copy of the record as edited so far.
  const ProfileRecord& Record() const { return record_; }
  // "&Reset": the protocol settings back to the driver's defaults (unless they are kept) and the
  // 802.11n settings to automatic (when 802.11n is on).
  void Reset();

 protected:
  void accept() override;

 private:
  void BuildLayout();
  void SetTexts();
  void FillLists();
  void RebuildRates();
  void ApplyKeepState();
  void OnHtToggled(bool enabled);
  void ReadHtLists();
  void SelectHtLists();
  void OnRateChosen(int index);
  void OnThresholdMoved(QLabel* value, uint32_t& field, int position);

  ProfileRecord record_;
  VtrCapability capability_;
  const bool htSupported_;
  QCheckBox* keep_ = nullptr;
  QComboBox* preamble_ = nullptr;
  QComboBox* rate_ = nullptr;
  QSlider* fragment_ = nullptr;
  QSlider* rts_ = nullptr;
  QLabel* fragmentValue_ = nullptr;
  QLabel* rtsValue_ = nullptr;
  QCheckBox* htEnable_ = nullptr;
  QComboBox* width_ = nullptr;
  QComboBox* guard_ = nullptr;
  QComboBox* extension_ = nullptr;
  QComboBox* antenna_ = nullptr;
  QAbstractButton* reset_ = nullptr;
  std::vector<QWidget*> protocolControls_;
  std::vector<QWidget*> htControls_;
};

}  // namespace pages
