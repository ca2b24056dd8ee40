#include "platform/wmi.h"

#include <algorithm>
#include <cctype>

namespace platform {
namespace {

bool NamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

uint32_t NumberWidth(uint32_t baseType) {
  switch (baseType) {
    case kCimUint8:
      return 1;
    case kCimUint16:
      return 2;
    case kCimUint32:
      return 4;
    default:
      return 0;
  }
}

bool Holds(uint32_t declared, const WmiValue& value) {
  if (((declared & kCimFlagArray) != 0) != value.IsArray()) return false;
  const uint32_t want = declared & ~kCimFlagArray;
  if (want == kCimString) return value.BaseType() == kCimString;
  const uint32_t wantWidth = NumberWidth(want);
  const uint32_t haveWidth = NumberWidth(value.BaseType());
  return wantWidth != 0 && haveWidth != 0 && haveWidth <= wantWidth;
}

}  // namespace

WmiValue WmiValue::StringArray(std::vector<std::string> items) {
  WmiValue value;
  value.cimType = kCimString | kCimFlagArray;
  value.strings = std::move(items);
  return value;
}

WmiValue WmiValue::Uint8Array(const std::vector<uint8_t>& items) {
  WmiValue value;
  value.cimType = kCimUint8 | kCimFlagArray;
  value.numbers.assign(items.begin(), items.end());
  return value;
}

WmiValue WmiValue::Uint32(uint32_t number) {
  WmiValue value;
  value.cimType = kCimUint32;
  value.numbers = {number};
  return value;
}

WmiObject::WmiObject(std::vector<WmiProperty> schema)
    : schema_(std::move(schema)), values_(schema_.size()) {}

HResult WmiObject::Put(std::string_view name, WmiValue value) {
  for (size_t i = 0; i < schema_.size(); ++i) {
    if (!NamesEqual(schema_[i].name, name)) continue;
    if (!Holds(schema_[i].cimType, value)) return kWbemETypeMismatch;
    values_[i] = std::move(value);
    return kSOk;
  }
  return kWbemENotFound;
}

HResult WmiObject::Get(std::string_view name, std::optional<WmiValue>& value) const {
  for (size_t i = 0; i < schema_.size(); ++i) {
    if (!NamesEqual(schema_[i].name, name)) continue;
    value = values_[i];
    return kSOk;
  }
  return kWbemENotFound;
}

HResult WmiClass::GetMethod(std::string_view method, std::optional<WmiObject>& inSignature) const {
  for (const WmiMethod& candidate : methods) {
    if (!NamesEqual(candidate.name, method)) continue;
    if (candidate.inParameters.empty()) {
      inSignature.reset();
    } else {
      inSignature.emplace(candidate.inParameters);
    }
    return kSOk;
  }
  return kWbemENotFound;
}

}  // namespace platform
