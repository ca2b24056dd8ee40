// PrivateProfileString over any text: the line walk stays inside the text and ends, and what it
// returns is the default or a piece of the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "lib/common/private_profile.h"

// A default unlike an ordinary value; octal, as a hex escape would swallow the letters after it.
constexpr const char* kDefault = "\001default";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  const std::string value =
      vtr::PrivateProfileString(text, size, "Advance", "GenericRejectedCallback", kDefault);
  if (value != kDefault && std::string_view(text, size).find(value) == std::string_view::npos) {
    __builtin_trap();
  }
  return 0;
}
