#include "app/pages/profile_security_group.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <array>
#include <cstring>

#include "app/controls/byte_limit.h"
#include "app/controls/flat_button.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/message_box.h"
#include "app/core/os_version_code.h"
#include "app/core/record_text.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"
#include "app/pages/eap_tls_dialog.h"
#include "app/pages/leap_dialog.h"
#include "app/pages/peap_dialog.h"
#include "app/pages/radius_dialog.h"
#include "app/pages/working_profile.h"
#include "lib/common/profile_bounds.h"

namespace pages {

namespace {

constexpr int kPassphraseBytes = 32;
constexpr int kPskBytes = 63;
constexpr int kHexPskBytes = 64;
// VTR_Passphrase64 writes four 5-byte keys, 16 bytes apart; VTR_Passphrase128 one 13-byte key.
constexpr size_t kKeySlotStride = 16;
constexpr uint32_t kKey64Bytes = 5;
constexpr uint32_t kKey128Bytes = 13;

constexpr LangText kHexLabel{"10211", "Enter the WEP Hex key manually :"};
constexpr LangText kAsciiLabel{"10221", "Enter the WEP ASCII key manually :"};

const std::array<Choice, 2> kKeySizes{{{{"10230", "64 Bits"}, 0}, {{"10240", "128 Bits"}, 1}}};
const std::array<Choice, 4> kKeyIndexes{{{{"10250", "Key 1"}, 0},
                                         {{"10260", "Key 2"}, 1},
                                         {{"10270", "Key 3"}, 2},
                                         {{"10280", "Key 4"}, 3}}};

template <typename Choices>
void FillList(QComboBox* list, const Choices& choices) {
  const QSignalBlocker quiet(list);
  list->clear();
  for (const Choice& choice : choices) list->addItem(ProfileText(choice.text), choice.value);
}

// Selects the entry standing for value, else the first.
void SelectValue(QComboBox* list, uint32_t value) {
  const QSignalBlocker quiet(list);
  const int index = list->findData(value);
  list->setCurrentIndex(index >= 0 ? index : (list->count() > 0 ? 0 : -1));
}

uint32_t CurrentValue(const QComboBox* list) {
  return list->currentData().toUInt();
}

template <typename Widget>
Widget* Numbered(Widget* widget, int id) {
  core::SetControlId(widget, id);
  return widget;
}

void SetEditText(QLineEdit* edit, const QString& text) {
  const QSignalBlocker quiet(edit);
  edit->setText(text);
}

QByteArray Utf8(const QLineEdit* edit) {
  return edit->text().toUtf8();
}

// The key in hexadecimal digits, as the key fields keep it.
std::string HexDigits(const core::CVtrLibrary& lib, const uint8_t* bytes, uint32_t count) {
  std::array<char, 2 * kKeySlotStride + 1> digits{};
  lib.HexToString(bytes, count, digits.data(), 2 * count, 0);
  return std::string(digits.data(), 2 * count);
}

}  // namespace

ProfileSecurityGroup::ProfileSecurityGroup(const core::CVtrLibrary& lib, QWidget* parent)
    : QGroupBox(parent), lib_(lib) {
  core::SetControlId(this, kSecurityGroup);
  BuildLayout();
  SetTexts();
  ConnectHandlers();
  FillList(passphraseSize_, kKeySizes);
  FillList(manualSize_, kKeySizes);
  FillList(keyIndex_, kKeyIndexes);
}

void ProfileSecurityGroup::BuildLayout() {
  auto* layout = new QVBoxLayout(this);
  layout->setSpacing(8);
  auto* lists = new QGridLayout;
  lists->setHorizontalSpacing(10);
  lists->addWidget(Numbered(new QLabel(this), kAuthLabel), 0, 0);
  authList_ = Numbered(new QComboBox(this), kAuthList);
  lists->addWidget(authList_, 0, 1);
  lists->addWidget(Numbered(new QLabel(this), kEncryptionLabel), 1, 0);
  encryptionList_ = Numbered(new QComboBox(this), kEncryptionList);
  lists->addWidget(encryptionList_, 1, 1);
  lists->setColumnStretch(1, 1);
  layout->addLayout(lists);

  // The WEP area and the key frame take turns in one place; each keeps its room while hidden,
  // so the page does not jump when the authentication changes.
  auto* areas = new QGridLayout;
  QWidget* wep = BuildWepArea();
  QWidget* keys = BuildKeyFrame();
  for (QWidget* area : {wep, keys}) {
    QSizePolicy policy = area->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    area->setSizePolicy(policy);
    areas->addWidget(area, 0, 0);
  }
  layout->addLayout(areas);
  layout->addStretch(1);
}

QWidget* ProfileSecurityGroup::BuildWepArea() {
  wepGroup_ = Numbered(new QGroupBox(this), kWepGroup);
  auto* grid = new QGridLayout(wepGroup_);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(6);
  passphraseRadio_ = Numbered(new QRadioButton(wepGroup_), kPassphraseRadio);
  grid->addWidget(passphraseRadio_, 0, 0, 1, 3);
  passphraseLabel_ = Numbered(new QLabel(wepGroup_), kPassphraseLabel);
  grid->addWidget(passphraseLabel_, 1, 0, 1, 3);
  passphraseEdit_ = Numbered(new QLineEdit(wepGroup_), kPassphraseEdit);
  controls::LimitBytes(passphraseEdit_, kPassphraseBytes);
  grid->addWidget(passphraseEdit_, 2, 0, 1, 2);
  passphraseSize_ = Numbered(new QComboBox(wepGroup_), kPassphraseSize);
  grid->addWidget(passphraseSize_, 2, 2);

  auto* manualRadios = new QHBoxLayout;
  hexRadio_ = Numbered(new QRadioButton(wepGroup_), kHexRadio);
  asciiRadio_ = Numbered(new QRadioButton(wepGroup_), kAsciiRadio);
  manualRadios->addWidget(hexRadio_);
  manualRadios->addWidget(asciiRadio_);
  manualRadios->addStretch(1);
  grid->addLayout(manualRadios, 3, 0, 1, 3);
  manualLabel_ = Numbered(new QLabel(wepGroup_), kManualLabel);
  grid->addWidget(manualLabel_, 4, 0, 1, 3);
  keyIndex_ = Numbered(new QComboBox(wepGroup_), kKeyIndexList);
  grid->addWidget(keyIndex_, 5, 0);
  // The hex and the ASCII edit share one place; one of them shows at a time.
  hexEdit_ = Numbered(new QLineEdit(wepGroup_), kHexKeyEdit);
  asciiEdit_ = Numbered(new QLineEdit(wepGroup_), kAsciiKeyEdit);
  grid->addWidget(hexEdit_, 5, 1);
  grid->addWidget(asciiEdit_, 5, 1);
  manualSize_ = Numbered(new QComboBox(wepGroup_), kManualSize);
  grid->addWidget(manualSize_, 5, 2);
  grid->setColumnStretch(1, 1);
  return wepGroup_;
}

QWidget* ProfileSecurityGroup::BuildKeyFrame() {
  keyFrame_ = Numbered(new QFrame(this), kKeyFrame);
  keyFrame_->setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(keyFrame_);
  layout->setSpacing(6);

  auto* top = new QHBoxLayout;
  pskLabel_ = Numbered(new QLabel(keyFrame_), kPskLabel);
  maskBox_ = Numbered(new QCheckBox(keyFrame_), kMaskBox);
  top->addWidget(pskLabel_);
  top->addStretch(1);
  top->addWidget(maskBox_);
  layout->addLayout(top);
  pskNote_ = Numbered(new QLabel(keyFrame_), kPskNote);
  layout->addWidget(pskNote_);
  pskFrame_ = Numbered(new QFrame(keyFrame_), kPskFrame);
  pskFrame_->setFrameShape(QFrame::StyledPanel);
  auto* fields = new QGridLayout(pskFrame_);
  fields->addWidget(Numbered(new QLabel(pskFrame_), kPskEditLabel), 0, 0);
  pskEdit_ = Numbered(new QLineEdit(pskFrame_), kPskEdit);
  fields->addWidget(pskEdit_, 0, 1);
  fields->addWidget(Numbered(new QLabel(pskFrame_), kConfirmLabel), 1, 0);
  confirmEdit_ = Numbered(new QLineEdit(pskFrame_), kConfirmEdit);
  fields->addWidget(confirmEdit_, 1, 1);
  fields->setColumnStretch(1, 1);
  layout->addWidget(pskFrame_);

  eapLabel_ = Numbered(new QLabel(keyFrame_), kEapLabel);
  layout->addWidget(eapLabel_);
  auto* eapRow = new QHBoxLayout;
  eapList_ = Numbered(new QComboBox(keyFrame_), kEapList);
  configure_ = Numbered(new controls::FlatButton(QString(), keyFrame_), kConfigureRadius);
  eapRow->addWidget(eapList_, 1);
  eapRow->addWidget(configure_);
  layout->addLayout(eapRow);
  layout->addStretch(1);
  return keyFrame_;
}

void ProfileSecurityGroup::SetTexts() {
  auto set = [this](int id, const LangText& text) {
    core::SetControlText(core::FindControl(this, id), ProfileText(text));
  };
  setTitle(ProfileText({"100E0", "Security"}));
  set(kAuthLabel, {"100F0", "Authentication Mode :"});
  set(kEncryptionLabel, {"10110", "Encryption Method :"});
  wepGroup_->setTitle(ProfileText({"101E0", "WEP Key Setting"}));
  set(kPassphraseRadio, {"101F0", "Create with Passphrase"});
  set(kPassphraseLabel, {"10200", "Enter the WEP passphrase :"});
  set(kHexRadio, {"10210", "Enter Hex Key Manually"});
  set(kAsciiRadio, {"10220", "Enter ASCII Key Manually"});
  set(kManualLabel, kHexLabel);
  set(kPskNote, {"10295", "64 Characters must be hexadecimal digits."});
  set(kMaskBox, {"102B5", "Encryption"});
  set(kPskEditLabel, {"102A0", "Passphrase :"});
  set(kConfirmLabel, {"102B0", "Confirm :"});
  set(kEapLabel, {"102C0", "802.1x Authentication Protocol :"});
  set(kConfigureRadius, {"102D0", "Configure WPA Radius"});
  const bool hexPsk = (KeyEntryMask() & kKeyEntryHexPsk) != 0;
  set(kPskLabel, hexPsk ? LangText{"10291", "Enter 8 ~ 64 Characters :"}
                        : LangText{"10290", "Enter 8 ~ 63 Characters :"});
}

void ProfileSecurityGroup::ConnectHandlers() {
  connect(authList_, &QComboBox::activated, this, [this] { OnAuthenticationChosen(); });
  connect(encryptionList_, &QComboBox::activated, this, [this] { OnEncryptionChosen(); });
  connect(eapList_, &QComboBox::activated, this, [this] { OnProtocolChosen(); });
  connect(passphraseRadio_, &QRadioButton::clicked, this, [this] { EnterPassphraseMode(); });
  connect(hexRadio_, &QRadioButton::clicked, this, [this] { EnterManualMode(WepEntry::Hex); });
  connect(asciiRadio_, &QRadioButton::clicked, this, [this] { EnterManualMode(WepEntry::Ascii); });
  connect(passphraseEdit_, &QLineEdit::textEdited, this, [this] { OnPassphraseChanged(); });
  connect(hexEdit_, &QLineEdit::textEdited, this, [this] { OnKeyChanged(); });
  connect(asciiEdit_, &QLineEdit::textEdited, this, [this] { OnKeyChanged(); });
  connect(keyIndex_, &QComboBox::activated, this, [this] { OnKeyIndexChanged(); });
  connect(passphraseSize_, &QComboBox::activated, this, [this] { OnKeySizeChanged(true); });
  connect(manualSize_, &QComboBox::activated, this, [this] { OnKeySizeChanged(false); });
  connect(pskEdit_, &QLineEdit::textEdited, this, [this] { OnPreSharedKeyChanged(); });
  connect(maskBox_, &QCheckBox::clicked, this, [this](bool checked) { OnMaskingToggled(checked); });
  connect(configure_, &QAbstractButton::clicked, this, [this] { ConfigureRadius(); });
}

uint32_t ProfileSecurityGroup::KeyEntryMask() const {
  return core::State().adapterCapability.Get().keyEntryMask;
}

WepKeySize ProfileSecurityGroup::KeySize() const {
  return manualSize_->currentIndex() == 1 ? WepKeySize::Bits128 : WepKeySize::Bits64;
}

void ProfileSecurityGroup::ReadMasking() {
  std::string value;
  const bool masked = core::ReadSetting("Encryption", value) == 0 && value == "1";
  maskBox_->setChecked(masked);
  const auto echo = masked ? QLineEdit::Password : QLineEdit::Normal;
  pskEdit_->setEchoMode(echo);
  confirmEdit_->setEchoMode(echo);
}

void ProfileSecurityGroup::OnMaskingToggled(bool masked) {
  const auto echo = masked ? QLineEdit::Password : QLineEdit::Normal;
  pskEdit_->setEchoMode(echo);
  confirmEdit_->setEchoMode(echo);
  core::WriteSetting("Encryption", masked ? "1" : "0");
}

void ProfileSecurityGroup::BuildAuthenticationList(uint32_t networkType) {
  const VtrCapability capability = core::State().adapterCapability.Get();
  if (networkType == kNetworkAdHoc) {
    EditWorkingProfile(
        [](ProfileRecord& record) { record.authMode = AdHocAuthMode(record.authMode); });
  }
  FillList(authList_,
           AuthenticationChoices(networkType, capability.adapterKind, core::EnterpriseModesOff()));
  SelectValue(authList_, WorkingProfile().authMode);
  OnAuthenticationChosen();
}

void ProfileSecurityGroup::OnAuthenticationChosen() {
  const uint32_t authMode = CurrentValue(authList_);
  EditWorkingProfile([&](ProfileRecord& record) { record.authMode = authMode; });
  const bool wep = IsWepFamily(authMode);
  const bool psk = IsPreSharedKey(authMode);
  wepGroup_->setVisible(wep);
  keyFrame_->setVisible(!wep);
  for (QWidget* widget : {static_cast<QWidget*>(pskLabel_), static_cast<QWidget*>(maskBox_),
                          static_cast<QWidget*>(pskFrame_)}) {
    widget->setVisible(psk);
  }
  pskNote_->setVisible(psk && (KeyEntryMask() & kKeyEntryHexPsk) != 0);
  for (QWidget* widget : {static_cast<QWidget*>(eapLabel_), static_cast<QWidget*>(eapList_),
                          static_cast<QWidget*>(configure_)}) {
    widget->setVisible(IsEnterprise(authMode));
  }
  const ProfileRecord record = WorkingProfile();
  if (wep) {
    ShowEncryptions(WepFamilyEncryptions(authMode), record.encryption);
    return;
  }
  FillList(eapList_, EapChoices(core::State().adapterCapability.Get().eapMask));
  SelectValue(eapList_, record.eapMethod);
  OnProtocolChosen();
}

void ProfileSecurityGroup::OnProtocolChosen() {
  const uint32_t method =
      eapList_->count() > 0 ? CurrentValue(eapList_) : WorkingProfile().eapMethod;
  EditWorkingProfile([&](ProfileRecord& record) { record.eapMethod = method; });
  const bool vista = core::State().osVersionCode == core::kOsWindowsVista;
  // Vista logs on to PEAP with the user's Windows account: there is nothing to configure.
  configure_->setEnabled(!(vista && method == kEapPeap));
  const ProfileRecord record = WorkingProfile();
  ShowEncryptions(WpaEncryptions(record.authMode, method), record.encryption);
}

void ProfileSecurityGroup::ShowEncryptions(const std::vector<Choice>& choices,
                                           uint32_t encryption) {
  FillList(encryptionList_, choices);
  SelectValue(encryptionList_, encryption);
  OnEncryptionChosen();
}

void ProfileSecurityGroup::OnEncryptionChosen() {
  const uint32_t encryption = CurrentValue(encryptionList_);
  EditWorkingProfile([&](ProfileRecord& record) { record.encryption = encryption; });
  passphraseRadio_->setChecked(true);
  const ProfileRecord record = WorkingProfile();
  if (encryption == kCipherWep) {
    ShowWepKeys(record);
    return;
  }
  if (encryption != kCipherNone && IsPreSharedKey(record.authMode)) ShowPreSharedKey(record);
  ResetWepArea();
  if (encryption == kCipherNone) {
    ApplyWepEnabling(false);
  } else {
    hexEdit_->hide();
    asciiEdit_->hide();
  }
}

void ProfileSecurityGroup::ShowWepKeys(const ProfileRecord& record) {
  uint32_t slot = 0;
  vtr::bounds::WepKeySlot(record, slot);
  SelectValue(keyIndex_, slot);
  const int size = WepKeySizeOf(record.wepKeyLength[slot]) == WepKeySize::Bits128 ? 1 : 0;
  for (QComboBox* list : {passphraseSize_, manualSize_}) {
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(size);
  }
  LimitKeyEdits();
  const QString key = core::FieldQString(record.wepKey[slot]);
  if (record.wepKeyManual == 0) {
    SetEditText(passphraseEdit_, core::FieldQString(record.wepPassphrase));
    EnterPassphraseMode();
  } else if (record.wepKeyAscii != 0) {
    SetEditText(asciiEdit_, key);
    EnterManualMode(WepEntry::Ascii);
  } else {
    SetEditText(hexEdit_, key);
    EnterManualMode(WepEntry::Hex);
  }
}

void ProfileSecurityGroup::ShowPreSharedKey(const ProfileRecord& record) {
  const int limit = (KeyEntryMask() & kKeyEntryHexPsk) != 0 ? kHexPskBytes : kPskBytes;
  controls::LimitBytes(pskEdit_, limit);
  controls::LimitBytes(confirmEdit_, limit);
  const QString psk = core::FieldQString(record.psk);
  SetEditText(pskEdit_, psk);
  SetEditText(confirmEdit_, psk);
  OnPreSharedKeyChanged();
}

void ProfileSecurityGroup::ResetWepArea() {
  for (QComboBox* list : {passphraseSize_, manualSize_, keyIndex_}) {
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(0);
  }
  for (QLineEdit* edit : {passphraseEdit_, hexEdit_, asciiEdit_}) SetEditText(edit, QString());
  controls::LimitBytes(passphraseEdit_, kPassphraseBytes);
  LimitKeyEdits();
  EnterManualMode(WepEntry::Hex);
  EnterPassphraseMode();
}

void ProfileSecurityGroup::LimitKeyEdits() {
  controls::LimitBytes(hexEdit_, WepKeyCharacters(WepEntry::Hex, KeySize()));
  controls::LimitBytes(asciiEdit_, WepKeyCharacters(WepEntry::Ascii, KeySize()));
}

void ProfileSecurityGroup::EnterPassphraseMode() {
  wepEntry_ = WepEntry::Passphrase;
  passphraseRadio_->setChecked(true);
  EditWorkingProfile([](ProfileRecord& record) {
    record.wepKeyManual = 0;
    record.wepKeyAscii = 0;
  });
  hexEdit_->show();
  asciiEdit_->hide();
  SetEditText(hexEdit_, QString());
  SetEditText(asciiEdit_, QString());
  manualLabel_->setText(ProfileText(kHexLabel));
  OnPassphraseChanged();
  ApplyWepEnabling(true);
}

void ProfileSecurityGroup::EnterManualMode(WepEntry entry) {
  wepEntry_ = entry;
  const bool ascii = entry == WepEntry::Ascii;
  (ascii ? asciiRadio_ : hexRadio_)->setChecked(true);
  EditWorkingProfile([&](ProfileRecord& record) {
    record.wepKeyManual = 1;
    record.wepKeyAscii = ascii ? 1 : 0;
    core::SetFieldText(record.wepPassphrase, std::string_view());
    record.wepPassphraseLength = 0;
  });
  hexEdit_->setVisible(!ascii);
  asciiEdit_->setVisible(ascii);
  SetEditText(passphraseEdit_, QString());
  SetEditText(ascii ? hexEdit_ : asciiEdit_, QString());
  manualLabel_->setText(ProfileText(ascii ? kAsciiLabel : kHexLabel));
  LimitKeyEdits();
  OnKeyChanged();
  ApplyWepEnabling(true);
}

void ProfileSecurityGroup::OnPassphraseChanged() {
  const QByteArray passphrase = Utf8(passphraseEdit_);
  std::array<std::string, 4> keys;
  if (!passphrase.isEmpty()) {
    if (KeySize() == WepKeySize::Bits64) {
      std::array<uint8_t, 4 * kKeySlotStride> bytes{};
      lib_.Passphrase64(passphrase.constData(), bytes.data());
      for (size_t slot = 0; slot < keys.size(); ++slot) {
        keys[slot] = HexDigits(lib_, bytes.data() + slot * kKeySlotStride, kKey64Bytes);
      }
    } else {
      std::array<uint8_t, kKeySlotStride> bytes{};
      lib_.Passphrase128(passphrase.constData(), bytes.data());
      keys.fill(HexDigits(lib_, bytes.data(), kKey128Bytes));
    }
  }
  EditWorkingProfile([&](ProfileRecord& record) {
    core::SetFieldText(
        record.wepPassphrase,
        std::string_view(passphrase.constData(), static_cast<size_t>(passphrase.size())));
    record.wepPassphraseLength = static_cast<uint32_t>(passphrase.size());
    for (size_t slot = 0; slot < keys.size(); ++slot) {
      core::SetFieldText(record.wepKey[slot], keys[slot]);
      record.wepKeyLength[slot] = static_cast<uint32_t>(keys[slot].size() / 2);
    }
  });
  SetEditText(hexEdit_,
              QString::fromStdString(keys[static_cast<size_t>(keyIndex_->currentIndex())]));
  SetEditText(asciiEdit_, QString());
}

void ProfileSecurityGroup::OnKeyChanged() {
  const bool ascii = wepEntry_ == WepEntry::Ascii;
  const QByteArray key = Utf8(ascii ? asciiEdit_ : hexEdit_);
  const auto slot = static_cast<size_t>(std::max(keyIndex_->currentIndex(), 0));
  // One typed key: the others are emptied.
  EditWorkingProfile([&](ProfileRecord& record) {
    for (size_t i = 0; i < 4; ++i) {
      const std::string_view text =
          i == slot ? std::string_view(key.constData(), static_cast<size_t>(key.size()))
                    : std::string_view();
      core::SetFieldText(record.wepKey[i], text);
      record.wepKeyLength[i] = static_cast<uint32_t>(ascii ? text.size() : text.size() / 2);
    }
  });
}

void ProfileSecurityGroup::OnKeyIndexChanged() {
  const uint32_t slot = CurrentValue(keyIndex_);
  ProfileRecord record{};
  EditWorkingProfile([&](ProfileRecord& working) {
    working.wepKeyIndex = slot;
    record = working;
  });
  QLineEdit* edit = wepEntry_ == WepEntry::Ascii ? asciiEdit_ : hexEdit_;
  SetEditText(edit, core::FieldQString(record.wepKey[slot]));
}

void ProfileSecurityGroup::OnKeySizeChanged(bool fromPassphraseList) {
  QComboBox* from = fromPassphraseList ? passphraseSize_ : manualSize_;
  QComboBox* other = fromPassphraseList ? manualSize_ : passphraseSize_;
  {
    const QSignalBlocker quiet(other);
    other->setCurrentIndex(from->currentIndex());
  }
  LimitKeyEdits();
  if (fromPassphraseList) {
    OnPassphraseChanged();
    return;
  }
  // The record follows the emptied field, so no key of the other size stays behind unseen.
  SetEditText(hexEdit_, QString());
  SetEditText(asciiEdit_, QString());
  OnKeyChanged();
}

void ProfileSecurityGroup::OnPreSharedKeyChanged() {
  const QByteArray psk = Utf8(pskEdit_);
  EditWorkingProfile([&](ProfileRecord& record) {
    core::SetFieldText(record.psk,
                       std::string_view(psk.constData(), static_cast<size_t>(psk.size())));
    record.pskLength = static_cast<uint32_t>(psk.size());
    if (!psk.isEmpty()) record.pskIsHex = psk.size() == kHexPskBytes ? 1 : 0;
  });
  if (psk.isEmpty()) SetEditText(confirmEdit_, QString());
}

void ProfileSecurityGroup::ApplyWepEnabling(bool wepOn) {
  const uint32_t mask = KeyEntryMask();
  const bool passphrase = wepOn && wepEntry_ == WepEntry::Passphrase;
  const bool manual = wepOn && wepEntry_ != WepEntry::Passphrase;
  wepGroup_->setEnabled(wepOn);
  keyIndex_->setEnabled(wepOn);
  passphraseRadio_->setEnabled(wepOn && (mask & kKeyEntryPassphrase) != 0);
  hexRadio_->setEnabled(wepOn && (mask & kKeyEntryHex) != 0);
  asciiRadio_->setEnabled(wepOn && (mask & kKeyEntryAscii) != 0);
  for (QWidget* widget :
       {static_cast<QWidget*>(passphraseLabel_), static_cast<QWidget*>(passphraseEdit_),
        static_cast<QWidget*>(passphraseSize_)}) {
    widget->setEnabled(passphrase);
  }
  for (QWidget* widget : {static_cast<QWidget*>(manualLabel_), static_cast<QWidget*>(hexEdit_),
                          static_cast<QWidget*>(asciiEdit_), static_cast<QWidget*>(manualSize_)}) {
    widget->setEnabled(manual);
  }
}

bool ProfileSecurityGroup::Validate() {
  const QByteArray confirm = Utf8(confirmEdit_);
  SecurityInput input;
  input.wepEntry = wepEntry_;
  input.wepKeySize = KeySize();
  input.pskConfirm = std::string_view(confirm.constData(), static_cast<size_t>(confirm.size()));
  input.vista = core::State().osVersionCode == core::kOsWindowsVista;
  const auto problem = SecurityProblem(WorkingProfile(), input);
  if (!problem) return true;
  core::ShowMessage(window(), ProfileText(*problem), core::MessageIcon::Exclamation);
  return false;
}

void ProfileSecurityGroup::ConfigureRadius() {
  const ProfileRecord record = WorkingProfile();
  auto run = [&](auto& dialog) {
    if (dialog.exec() != QDialog::Accepted) return;
    EditWorkingProfile([&](ProfileRecord& working) { dialog.Store(working); });
  };
  switch (CurrentValue(eapList_)) {
    case kEapTls: {
      CEapTlsDialog dialog(window(), record);
      run(dialog);
      break;
    }
    case kEapPeap: {
      CPeapDialog dialog(window(), record);
      run(dialog);
      break;
    }
    case kEapLeap: {
      CLeapDialog dialog(window(), record);
      run(dialog);
      break;
    }
    default:
      break;
  }
}

}  // namespace pages
