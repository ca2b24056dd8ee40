// Feeds arbitrary bytes to the hive file parser. Whatever it accepts must come back unchanged
// through the writer: parse(format(h)) == h, and the writer's text is stable.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sim/regedit_format.h"
#include "sim/registry_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sim::Hive hive;
  if (sim::ParseRegedit(reinterpret_cast<const char*>(data), size, hive)) return 0;
  std::string text = sim::FormatRegedit(hive);
  sim::Hive again;
  if (auto error = sim::ParseRegedit(text.data(), text.size(), again)) {
    std::fprintf(stderr, "the writer's own text does not parse: %s\n%s\n",
                 error->Describe().c_str(), text.c_str());
    std::abort();
  }
  if (!(again == hive)) {
    std::fprintf(stderr, "the hive changed in a round trip:\n%s\n", text.c_str());
    std::abort();
  }
  if (sim::FormatRegedit(again) != text) {
    std::fprintf(stderr, "the writer is not deterministic:\n%s\n", text.c_str());
    std::abort();
  }
  return 0;
}
