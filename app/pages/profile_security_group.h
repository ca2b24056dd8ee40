// The "Security" group of the profile editor: the authentication, encryption and 802.1X lists,
// the WEP key area (keys from a passphrase or typed in hex or ASCII, 64 or 128 bits, four keys
// and the transmit key), the pre-shared-key area with its masking box, and the 802.1X protocol
// with "Configure WPA Radius". Every choice goes straight into the working profile; the page
// runs the check before it saves or applies.
#pragma once

#include <QGroupBox>
#include <cstdint>

#include "app/core/vtr_library.h"
#include "app/pages/profile_security_rules.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pages {

// Control numbers of the group (the Security group box itself is 3049).
enum SecurityControl : int {
  kSecurityGroup = 3049,
  kAuthLabel = 3050,
  kAuthList = 3051,
  kEncryptionLabel = 3052,
  kEncryptionList = 3053,
  kWepGroup = 3054,
  kPassphraseRadio = 3055,
  kPassphraseLabel = 3056,
  kPassphraseEdit = 3057,
  kPassphraseSize = 3058,
  kHexRadio = 3059,
  kAsciiRadio = 3060,
  kManualLabel = 3061,
  kKeyIndexList = 3062,
  kHexKeyEdit = 3063,
  kAsciiKeyEdit = 3064,
  kManualSize = 3065,
  kKeyFrame = 3066,
  kPskLabel = 3067,
  kPskNote = 3068,
  kMaskBox = 3069,
  kPskFrame = 3070,
  kPskEditLabel = 3071,
  kPskEdit = 3072,
  kConfirmLabel = 3073,
  kConfirmEdit = 3074,
  kEapLabel = 3075,
  kEapList = 3076,
  kConfigureRadius = 3077,
};

class ProfileSecurityGroup : public QGroupBox {
 public:
  ProfileSecurityGroup(const core::CVtrLibrary& lib, QWidget* parent);

  // Rebuilds the authentication list for the network type from the working profile and shows
  // the profile's security in the whole group.
  void BuildAuthenticationList(uint32_t networkType);
  // The check before Save and Apply: false after showing the first problem's message.
  bool Validate();
  // The "Encryption" box follows the registry value "Encryption": masked only for exactly "1".
  void ReadMasking();

 private:
  void BuildLayout();
  QWidget* BuildWepArea();
  QWidget* BuildKeyFrame();
  void SetTexts();
  void ConnectHandlers();

  void OnAuthenticationChosen();
  void OnProtocolChosen();
  void OnEncryptionChosen();
  void ShowEncryptions(const std::vector<Choice>& choices, uint32_t encryption);
  void ShowWepKeys(const ProfileRecord& record);
  void ShowPreSharedKey(const ProfileRecord& record);
  void ResetWepArea();
  void EnterPassphraseMode();
  void EnterManualMode(WepEntry entry);
  void OnPassphraseChanged();
  void OnKeyChanged();
  void OnKeyIndexChanged();
  void OnKeySizeChanged(bool fromPassphraseList);
  void OnPreSharedKeyChanged();
  void OnMaskingToggled(bool masked);
  void ApplyWepEnabling(bool wepOn);
  void LimitKeyEdits();
  void ConfigureRadius();

  WepKeySize KeySize() const;
  uint32_t KeyEntryMask() const;

  const core::CVtrLibrary& lib_;
  WepEntry wepEntry_ = WepEntry::Passphrase;

  QComboBox* authList_ = nullptr;
  QComboBox* encryptionList_ = nullptr;
  QGroupBox* wepGroup_ = nullptr;
  QRadioButton* passphraseRadio_ = nullptr;
  QLabel* passphraseLabel_ = nullptr;
  QLineEdit* passphraseEdit_ = nullptr;
  QComboBox* passphraseSize_ = nullptr;
  QRadioButton* hexRadio_ = nullptr;
  QRadioButton* asciiRadio_ = nullptr;
  QLabel* manualLabel_ = nullptr;
  QComboBox* keyIndex_ = nullptr;
  QLineEdit* hexEdit_ = nullptr;
  QLineEdit* asciiEdit_ = nullptr;
  QComboBox* manualSize_ = nullptr;
  QFrame* keyFrame_ = nullptr;
  QLabel* pskLabel_ = nullptr;
  QLabel* pskNote_ = nullptr;
  QCheckBox* maskBox_ = nullptr;
  QFrame* pskFrame_ = nullptr;
  QLineEdit* pskEdit_ = nullptr;
  QLineEdit* confirmEdit_ = nullptr;
  QLabel* eapLabel_ = nullptr;
  QComboBox* eapList_ = nullptr;
  QAbstractButton* configure_ = nullptr;
};

}  // namespace pages
