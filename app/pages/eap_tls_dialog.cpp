#include "app/pages/eap_tls_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <cstring>

#include "app/core/control_ids.h"
#include "app/core/message_box.h"
#include "app/core/personal_certificates.h"
#include "app/core/record_text.h"

namespace pages {

namespace {

constexpr size_t kCertificateNameBytes = sizeof(ProfileRecord::tlsCertificateName) - 1;
constexpr LangText kRefused{"12050", "Illegal login name or certificate for WPA authentication !"};

std::array<uint8_t, 20> RecordHash(const ProfileRecord& record) {
  std::array<uint8_t, 20> hash{};
  std::memcpy(hash.data(), record.tlsCertificateHash, hash.size());
  return hash;
}

QString Utf8(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

CEapTlsDialog::CEapTlsDialog(QWidget* parent, const ProfileRecord& record)
    : RadiusDialog(parent, RadiusTitlePrefix(record.authMode, kEapTls) +
                               ProfileText({"12000", "EAP/TLS Radius Configuration"})) {
  login_ =
      AddEdit({"12010", "Login Name :"}, kTlsLogin, core::FieldQString(record.tlsIdentity), false);
  list_ = new QComboBox(this);
  core::SetControlId(list_, kTlsCertificate);
  list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  AddRow({"12020", "Certificate :"}, list_);
  issuer_ = new QLabel(this);
  core::SetControlId(issuer_, kTlsIssuer);
  issuer_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  AddRow({"12021", "Issued by :"}, issuer_);
  thumbprint_ = new QLabel(this);
  core::SetControlId(thumbprint_, kTlsThumbprint);
  thumbprint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  AddRow({"12022", "Thumbprint :"}, thumbprint_);
  AddButtons({"12030", "&OK"}, {"12040", "&Cancel"});
  FillCertificates(record);
  connect(list_, &QComboBox::currentIndexChanged, this, [this](int index) { ShowDetails(index); });
}

void CEapTlsDialog::FillCertificates(const ProfileRecord& record) {
  certificates_ = core::PersonalStoreCertificates();
  if (certificates_.size() > kCertificateListMax) certificates_.resize(kCertificateListMax);
  for (const auto& certificate : certificates_) list_->addItem(Utf8(certificate.subjectName));
  // The certificate the profile holds: by its hash, else by the name the profile keeps, else
  // the first.
  const auto hash = RecordHash(record);
  const std::string_view name = core::FieldText(record.tlsCertificateName);
  auto find = [this](auto&& matches) {
    for (size_t i = 0; i < certificates_.size(); ++i) {
      if (matches(certificates_[i])) return static_cast<int>(i);
    }
    return -1;
  };
  int chosen = find([&](const auto& held) { return held.sha1Hash == hash; });
  if (chosen < 0 && !name.empty()) {
    chosen = find([&](const auto& held) { return core::ProfileCertificateName(held) == name; });
  }
  if (chosen < 0 && !certificates_.empty()) chosen = 0;
  list_->setCurrentIndex(chosen);
  ShowDetails(chosen);
}

void CEapTlsDialog::ShowDetails(int index) {
  const bool shown = index >= 0 && static_cast<size_t>(index) < certificates_.size();
  const auto* certificate = shown ? &certificates_[static_cast<size_t>(index)] : nullptr;
  issuer_->setText(certificate == nullptr            ? QString()
                   : certificate->issuerName.empty() ? QStringLiteral("-")
                                                     : Utf8(certificate->issuerName));
  thumbprint_->setText(certificate == nullptr ? QString()
                                              : Utf8(core::ThumbprintText(certificate->sha1Hash)));
}

const platform::SystemStoreCertificate* CEapTlsDialog::Selected() const {
  const int index = list_->currentIndex();
  if (index < 0 || static_cast<size_t>(index) >= certificates_.size()) return nullptr;
  return &certificates_[static_cast<size_t>(index)];
}

bool CEapTlsDialog::Complete() {
  const auto* certificate = Selected();
  if (login_->text().isEmpty() || certificate == nullptr) {
    core::ShowMessage(this, ProfileText(kRefused), core::MessageIcon::Exclamation);
    return false;
  }
  // A name the profile cannot keep whole would name another authority, or none.
  const std::string name = core::ProfileCertificateName(*certificate);
  if (core::FittingBytes(name, kCertificateNameBytes) != name.size()) {
    core::ShowMessage(this,
                      ProfileText({"12060", "The certificate's name is too long for a profile."}),
                      core::MessageIcon::Exclamation);
    return false;
  }
  return true;
}

void CEapTlsDialog::Store(ProfileRecord& record) const {
  core::SetFieldText(record.tlsIdentity, login_->text());
  const auto* certificate = Selected();
  if (certificate == nullptr) return;
  core::SetFieldText(record.tlsCertificateName, core::ProfileCertificateName(*certificate));
  std::memset(record.tlsCertificateHash, 0, sizeof record.tlsCertificateHash);
  std::memcpy(record.tlsCertificateHash, certificate->sha1Hash.data(),
              certificate->sha1Hash.size());
}

}  // namespace pages
