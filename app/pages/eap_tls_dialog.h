// CEapTlsDialog: the EAP-TLS settings of a WPA or WPA2 Radius profile: the login name and a
// certificate of the user's personal store, each shown with its subject, issuer and thumbprint.
// The profile names its certificate as vtrctl --cert does (core::ProfileCertificateName) and
// keeps its SHA-1 hash; both, and the login name, are taken over only after OK.
#pragma once

#include <array>
#include <vector>

#include "app/pages/radius_dialog.h"
#include "platform/certificate_store.h"
#include "vtrlib.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace pages {

inline constexpr int kTlsLogin = 1201;
inline constexpr int kTlsCertificate = 1202;
inline constexpr int kTlsIssuer = 1203;
inline constexpr int kTlsThumbprint = 1204;

// The list holds the store's first 40 certificates.
inline constexpr size_t kCertificateListMax = 40;

class CEapTlsDialog : public RadiusDialog {
 public:
  CEapTlsDialog(QWidget* parent, const ProfileRecord& record);

  // Writes the login name and the chosen certificate into record (after OK).
  void Store(ProfileRecord& record) const;

 protected:
  bool Complete() override;

 private:
  void FillCertificates(const ProfileRecord& record);
  void ShowDetails(int index);
  const platform::SystemStoreCertificate* Selected() const;

  std::vector<platform::SystemStoreCertificate> certificates_;
  QLineEdit* login_ = nullptr;
  QComboBox* list_ = nullptr;
  QLabel* issuer_ = nullptr;
  QLabel* thumbprint_ = nullptr;
};

}  // namespace pages
