#include "lib/common/information_elements_wps.h"

#include <optional>

#include "platform/debug_output.h"

namespace vtr {
namespace {

constexpr size_t kAttributeHeaderSize = 4;  // big-endian type and length
constexpr uint16_t kAttributeSelectedRegistrar = 0x1041;
constexpr uint16_t kAttributeDevicePasswordId = 0x1012;
constexpr uint8_t kPasswordIdPushButton = 4;

// Byte index of an attribute's value, when it lies inside both the attribute's stated length
// and the element.
std::optional<uint8_t> ValueByte(const uint8_t* attribute, const uint8_t* end, size_t index) {
  const uint16_t valueLength = LoadBe16(attribute + 2);
  const uint8_t* byte = attribute + kAttributeHeaderSize + index;
  if (index >= valueLength || byte >= end) return {};
  return *byte;
}

bool PushButtonSessionActive(const Element& element) {
  const uint8_t* end = element.End();
  const uint8_t* attribute = element.Body() + sizeof(WpsReader::kWpsOui);
  std::optional<uint8_t> selectedRegistrar;
  while (end - attribute >= static_cast<std::ptrdiff_t>(kAttributeHeaderSize)) {
    const uint16_t type = LoadBe16(attribute);
    if (type == 0) return false;
    if (type == kAttributeSelectedRegistrar) {
      if (auto value = ValueByte(attribute, end, 0)) selectedRegistrar = value;
    } else if (type == kAttributeDevicePasswordId) {
      // The registrar states its method with the password id; nothing after it matters.
      return selectedRegistrar == 1 && ValueByte(attribute, end, 1) == kPasswordIdPushButton;
    }
    const size_t step = kAttributeHeaderSize + LoadBe16(attribute + 2);
    if (step >= static_cast<size_t>(end - attribute)) return false;
    attribute += step;
  }
  return false;
}

}  // namespace

void WpsReader::ReadWpsElement(const Element& element) {
  done_ = true;
  flags_.hasWps = 1;
  if (PushButtonSessionActive(element)) {
    flags_.wpsPbcActive = 1;
    platform::OutputDebugStringA("Found PCB WPS session\n");
  }
}

WpsFlags ParseWps(const uint8_t* elements, size_t length) {
  WpsReader reader;
  WalkElements(elements, length, [&reader](const Element& element) {
    reader.Read(element);
    return !reader.Done();
  });
  return reader.Flags();
}

}  // namespace vtr
