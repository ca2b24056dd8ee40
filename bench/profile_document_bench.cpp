// Building the WLAN profile document a Vista connect hands to the service: a template parsed,
// its values set by XPath, the text written out and widened to UTF-16, once per attempt.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "lib/nativewifi/profile_document.h"

namespace {

ProfileRecord Record(uint32_t authMode, uint32_t encryption, uint32_t eapMethod) {
  ProfileRecord record;
  std::memset(&record, 0, sizeof record);
  std::snprintf(record.ssid, sizeof record.ssid, "%s", "Office-Corp");
  record.networkType = 1;
  record.authMode = authMode;
  record.encryption = encryption;
  record.eapMethod = eapMethod;
  std::snprintf(record.psk, sizeof record.psk, "%s", "correct horse battery");
  record.pskLength = static_cast<uint32_t>(std::strlen(record.psk));
  return record;
}

void BuildDocument(benchmark::State& state, const ProfileRecord& record, const char* blob) {
  size_t characters = 0;
  for (auto _ : state) {
    const std::u16string xml = vtr::ProfileXml(record, blob);
    characters = xml.size();
    benchmark::DoNotOptimize(xml.data());
  }
  state.counters["characters"] = static_cast<double>(characters);
}

void Wpa2PskDocument(benchmark::State& state) {
  BuildDocument(state, Record(8, 4, 0), "");
}
BENCHMARK(Wpa2PskDocument);

void EapTlsDocument(benchmark::State& state) {
  BuildDocument(state, Record(32, 4, 0),
                "020000002A00000005000000140000009810B05B849BC8FEAA15D56810FC24375A4BE2EF"
                "000001000000");
}
BENCHMARK(EapTlsDocument);

}  // namespace
