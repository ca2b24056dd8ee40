// The Native Wi-Fi notification callback of the Vista build. It runs on a thread of the service
// and only sets the events the backend waits on, and traces.
#pragma once

#include "platform/native_wifi.h"

namespace vtr {

void CallbackNotification(const platform::WlanNotificationData* data, void* context);

}  // namespace vtr
