#include "platform/x509_certificate.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <climits>
#include <cstring>
#include <memory>

namespace platform {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* pointer) const { Free(pointer); }
};
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;

// One block as PEM_read_bio hands it out, freed with the allocator that made it.
struct PemBlock {
  char* name = nullptr;
  char* header = nullptr;
  unsigned char* data = nullptr;
  long length = 0;
  ~PemBlock() {
    OPENSSL_free(name);
    OPENSSL_free(header);
    OPENSSL_free(data);
  }
};

std::string Utf8(const X509_NAME_ENTRY* entry) {
  unsigned char* text = nullptr;
  const int length = ASN1_STRING_to_UTF8(&text, X509_NAME_ENTRY_get_data(entry));
  if (length < 0) return {};
  std::string value(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
  OPENSSL_free(text);
  return value;
}

// Crypt32's simple display name: the first attribute found of this list, in this order.
std::string SimpleDisplayName(const X509_NAME* name) {
  for (int nid :
       {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress}) {
    const int at = X509_NAME_get_index_by_NID(name, nid, -1);
    if (at >= 0) return Utf8(X509_NAME_get_entry(name, at));
  }
  return {};
}

std::string AttributeKey(const ASN1_OBJECT* object) {
  switch (OBJ_obj2nid(object)) {
    case NID_commonName:
      return "CN";
    case NID_organizationalUnitName:
      return "OU";
    case NID_organizationName:
      return "O";
    case NID_countryName:
      return "C";
    case NID_localityName:
      return "L";
    case NID_stateOrProvinceName:
      return "S";
    case NID_streetAddress:
      return "STREET";
    case NID_pkcs9_emailAddress:
      return "E";
    case NID_domainComponent:
      return "DC";
    default:
      break;
  }
  char oid[80] = {};
  OBJ_obj2txt(oid, sizeof oid, object, 1);
  return std::string("OID.") + oid;
}

// A value with a separator or surrounding blanks is quoted, its quotes doubled.
std::string QuotedValue(const std::string& value) {
  const bool plain = !value.empty() && value.front() != ' ' && value.back() != ' ' &&
                     value.find_first_of(",+=\"\n<>#;") == std::string::npos;
  if (plain) return value;
  std::string quoted = "\"";
  for (char c : value) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

// The X.500 text of a name, most specific part first; the values of one multi-valued part are
// joined with " + ".
std::string X500Text(const X509_NAME* name) {
  std::string text;
  int previousSet = -1;
  for (int i = X509_NAME_entry_count(name) - 1; i >= 0; --i) {
    const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, i);
    const int set = X509_NAME_ENTRY_set(entry);
    if (!text.empty()) text += set == previousSet ? " + " : ", ";
    previousSet = set;
    text += AttributeKey(X509_NAME_ENTRY_get_object(entry)) + "=" + QuotedValue(Utf8(entry));
  }
  return text;
}

bool IsCertificateBlock(const PemBlock& block) {
  const bool certificate = std::strcmp(block.name, PEM_STRING_X509) == 0 ||
                           std::strcmp(block.name, PEM_STRING_X509_OLD) == 0;
  // An encrypted block announces itself in its header; a certificate never is one.
  return certificate && block.header[0] == '\0';
}

bool DecodeCertificate(const PemBlock& block, X509Certificate& out) {
  const unsigned char* cursor = block.data;
  X509Ptr certificate(d2i_X509(nullptr, &cursor, block.length));
  if (!certificate) return false;
  // The thumbprint covers the certificate's own encoding, without anything after it.
  const size_t encoded = static_cast<size_t>(cursor - block.data);
  unsigned int digestLength = 0;
  if (EVP_Digest(block.data, encoded, out.thumbprint.data(), &digestLength, EVP_sha1(), nullptr) !=
          1 ||
      digestLength != out.thumbprint.size()) {
    return false;
  }
  out.subjectName = SimpleDisplayName(X509_get_subject_name(certificate.get()));
  out.issuerName = SimpleDisplayName(X509_get_issuer_name(certificate.get()));
  out.subject = X500Text(X509_get_subject_name(certificate.get()));
  return true;
}

}  // namespace

std::vector<X509Certificate> ReadPemCertificates(const char* text, size_t length) {
  std::vector<X509Certificate> certificates;
  if (text == nullptr || length == 0) return certificates;
  // A memory BIO takes an int length; text beyond it is not read.
  BioPtr bio(BIO_new_mem_buf(text, length > INT_MAX ? INT_MAX : static_cast<int>(length)));
  if (!bio) return certificates;
  for (;;) {
    const size_t before = BIO_ctrl_pending(bio.get());
    if (before == 0) break;
    PemBlock block;
    if (PEM_read_bio(bio.get(), &block.name, &block.header, &block.data, &block.length) == 1) {
      X509Certificate certificate;
      if (IsCertificateBlock(block) && DecodeCertificate(block, certificate)) {
        certificates.push_back(std::move(certificate));
      }
    } else if (BIO_ctrl_pending(bio.get()) >= before) {
      break;  // nothing consumed: no further block can follow
    }
  }
  // What did not decode is skipped, not reported: leave no error behind for the next caller.
  ERR_clear_error();
  return certificates;
}

}  // namespace platform
