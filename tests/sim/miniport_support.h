// Talking to the simulated adapter as the driver channel does, and reading what it answers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/ndis_802_11.h"
#include "platform/services.h"
#include "platform/win_errors.h"

namespace miniport_support {

inline constexpr const char* kXpWirelessDevice = "\\\\.\\{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}";

struct Reply {
  bool opened = false;
  bool ok = false;
  long error = 0;
  uint32_t returned = 0;
  std::vector<uint8_t> data;  // the whole buffer after the request

  uint32_t U32(size_t at = 0) const {
    uint32_t value = 0;
    std::memcpy(&value, data.data() + at, 4);
    return value;
  }
};

// One request on a freshly opened handle; data is the buffer the caller passes.
inline Reply Send(uint32_t code, std::vector<uint8_t> data,
                  const std::string& device = kXpWirelessDevice) {
  auto& devices = platform::Current().Devices();
  Reply reply;
  platform::DeviceHandle handle = 0;
  if (devices.OpenDevice(device, handle) != 0) {
    reply.error = platform::GetLastError();
    return reply;
  }
  reply.opened = true;
  platform::SetLastError(0);
  reply.ok = devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &code,
                                     sizeof code, data.empty() ? nullptr : data.data(),
                                     static_cast<uint32_t>(data.size()), &reply.returned);
  reply.error = reply.ok ? 0 : platform::GetLastError();
  devices.CloseHandle(handle);
  reply.data = std::move(data);
  return reply;
}

inline Reply Query(uint32_t oid, uint32_t length) {
  return Send(oid, std::vector<uint8_t>(length, 0));
}

inline Reply Set(uint32_t oid, std::vector<uint8_t> data) {
  return Send(oid | platform::kOidSetBit, std::move(data));
}

inline std::vector<uint8_t> Le32(uint32_t value) {
  std::vector<uint8_t> bytes(4);
  std::memcpy(bytes.data(), &value, 4);
  return bytes;
}

struct Element {
  uint8_t id;
  std::vector<uint8_t> body;
};

// The elements of an element area; complete is false when the last one runs past the area.
inline std::vector<Element> Elements(const uint8_t* at, size_t size, bool* complete = nullptr) {
  std::vector<Element> elements;
  size_t pos = 0;
  while (pos + 2 <= size && pos + 2 + at[pos + 1] <= size) {
    elements.push_back({at[pos], std::vector<uint8_t>(at + pos + 2, at + pos + 2 + at[pos + 1])});
    pos += 2 + at[pos + 1];
  }
  if (complete != nullptr) *complete = pos == size;
  return elements;
}

// One item of a BSSID list, with the fields the survey reads.
struct Item {
  uint32_t length;
  uint8_t mac[6];
  std::vector<uint8_t> ssid;
  uint32_t privacy;
  int32_t rssi;
  uint32_t networkType;
  uint32_t dsConfig;
  uint32_t infrastructureMode;
  std::vector<uint8_t> rates;  // the 16 bytes
  uint16_t capabilities;
  std::vector<uint8_t> ies;  // after the 12 fixed bytes
};

inline std::vector<Item> Items(const std::vector<uint8_t>& list) {
  std::vector<Item> items;
  uint32_t count = 0;
  std::memcpy(&count, list.data(), 4);
  size_t at = platform::kBssidListHeaderSize;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* p = list.data() + at;
    Item item{};
    std::memcpy(&item.length, p, 4);
    std::memcpy(item.mac, p + 4, 6);
    uint32_t ssidLength = 0;
    std::memcpy(&ssidLength, p + 12, 4);
    item.ssid.assign(p + 16, p + 16 + ssidLength);
    std::memcpy(&item.privacy, p + 48, 4);
    std::memcpy(&item.rssi, p + 52, 4);
    std::memcpy(&item.networkType, p + 56, 4);
    std::memcpy(&item.dsConfig, p + 72, 4);
    std::memcpy(&item.infrastructureMode, p + 92, 4);
    item.rates.assign(p + 96, p + 112);
    uint32_t ieLength = 0;
    std::memcpy(&ieLength, p + 112, 4);
    std::memcpy(&item.capabilities, p + 116 + 10, 2);
    item.ies.assign(p + 116 + 12, p + 116 + ieLength);
    at += item.length;
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace miniport_support
