#include "lib/nativewifi/callback_notification.h"

#include "lib/nativewifi/vista_state.h"
#include "lib/nativewifi/vista_trace.h"
#include "platform/services.h"

namespace vtr {
namespace {

void Set(const std::atomic<platform::EventHandle>& event) {
  platform::Current().Events().SetEvent(event.load());
}

void Acm(uint32_t code, bool ours) {
  auto& state = VistaState();
  switch (code) {
    case platform::kAcmScanComplete:
      // Any interface's scan: the list is the service's, whoever asked.
      VistaTrace("CallbackNotification: wlan_notification_acm_scan_complete");
      Set(state.scanComplete);
      break;
    case platform::kAcmConnectionComplete:
      if (!ours) return;
      VistaTrace("CallbackNotification: wlan_notification_acm_connection_complete");
      Set(state.connectComplete);
      break;
    case platform::kAcmDisconnected:
      if (!ours) return;
      VistaTrace("CallbackNotification: wlan_notification_acm_disconnected");
      Set(state.disconnected);
      break;
    default:
      break;
  }
}

void Msm(uint32_t code) {
  switch (code) {
    case platform::kMsmAssociated:
      VistaTrace("CallbackNotification: wlan_notification_msm_associated");
      break;
    case platform::kMsmConnected:
      VistaTrace("CallbackNotification: wlan_notification_msm_connected");
      break;
    case platform::kMsmDisconnected:
      VistaTrace("CallbackNotification: wlan_notification_msm_disconnected");
      break;
    default:
      break;
  }
}

}  // namespace

void CallbackNotification(const platform::WlanNotificationData* data, void* /*context*/) {
  if (data == nullptr) return;
  const bool ours = data->interfaceGuid == VistaInterfaceGuid();
  if (data->notificationSource == platform::kWlanNotificationSourceAcm) {
    Acm(data->notificationCode, ours);
  } else if (data->notificationSource == platform::kWlanNotificationSourceMsm && ours) {
    Msm(data->notificationCode);
  }
}

}  // namespace vtr
