// vtrctl certs: the certificates of one of the machine's certificate stores.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/personal_certificates.h"
#include "platform/services.h"
#include "tools/vtrctl/commands.h"

namespace vtrctl {
namespace {

constexpr std::string_view kCertsHelp =
    "usage: vtrctl certs [MY|CA|Root] [--json]\n"
    "\n"
    "Lists the certificates of a store in the store's order (default MY, the user's personal\n"
    "store): the subject's and the issuer's display names and the SHA-1 thumbprint. An EAP-TLS\n"
    "profile names its certificate by its issuer; the Vista build follows that name up through\n"
    "CA to the trusted certificate of Root. MY also lists the personal certificates the\n"
    "machine's description names, whose issuer it does not know (shown as -).\n";

constexpr std::array<std::string_view, 3> kStores = {"MY", "CA", "Root"};

// The store's name as the list above writes it, whatever its case.
std::string StoreName(const std::string& text) {
  for (std::string_view store : kStores) {
    if (store.size() == text.size() &&
        std::equal(store.begin(), store.end(), text.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        })) {
      return std::string(store);
    }
  }
  throw UsageError("no store '" + text + "' (one of MY, CA, Root)");
}

// The store's certificates; MY as an EAP-TLS profile may name them.
std::vector<platform::SystemStoreCertificate> StoreCertificates(const std::string& store) {
  if (store == "MY") return core::PersonalStoreCertificates();
  return platform::Current().Certificates().SystemStore(store);
}

}  // namespace

int RunCerts(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "certs", ctx);
  if (parsed.help) {
    ctx.out << kCertsHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 1, "vtrctl certs [MY|CA|Root]");
  const std::string store = StoreName(parsed.positionals.empty() ? "MY" : parsed.positionals[0]);
  const auto certificates = StoreCertificates(store);
  if (ctx.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& certificate : certificates) {
      list.push_back({{"subject", certificate.subjectName},
                      {"issuer", certificate.issuerName},
                      {"thumbprint", core::ThumbprintText(certificate.sha1Hash)}});
    }
    PrintJson(ctx.out, {{"store", store}, {"certificates", list}});
    return 0;
  }
  if (certificates.empty()) {
    ctx.out << "no certificates in " << store << '\n';
    return 0;
  }
  for (std::size_t i = 0; i < certificates.size(); ++i) {
    if (i > 0) ctx.out << '\n';
    PrintRows(ctx.out,
              {{"Subject", certificates[i].subjectName},
               {"Issuer", certificates[i].issuerName.empty() ? "-" : certificates[i].issuerName},
               {"Thumbprint", core::ThumbprintText(certificates[i].sha1Hash)}});
  }
  return 0;
}

}  // namespace vtrctl
