// Arbitrary bytes through the PEM certificate reader: it must stay inside the bytes, give at
// most one certificate per block it met, and give the same answer when asked twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/x509_certificate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly the input, so reading one byte past it is caught.
  std::vector<char> text(data, data + size);
  const auto certificates = platform::ReadPemCertificates(text.data(), text.size());
  size_t blocks = 0;
  const std::string_view view(text.data(), text.size());
  for (size_t at = view.find("-----BEGIN"); at != std::string_view::npos;
       at = view.find("-----BEGIN", at + 1)) {
    ++blocks;
  }
  if (certificates.size() > blocks) std::abort();
  const auto again = platform::ReadPemCertificates(text.data(), text.size());
  if (again.size() != certificates.size()) std::abort();
  for (size_t i = 0; i < again.size(); ++i) {
    if (again[i].thumbprint != certificates[i].thumbprint ||
        again[i].subject != certificates[i].subject) {
      std::abort();
    }
  }
  return 0;
}
