/* The Wi-Fi Protected Setup request, passed by value to VTR_WPSStartEngine. */
#ifndef VTRLIB_WPS_REQUEST_H
#define VTRLIB_WPS_REQUEST_H

#include "vtr_base.h"

#pragma pack(push, 1)

typedef struct WpsRequest {
  uint32_t method; /* 0 push button, 1 PIN shown here, 2 PIN of the access point */
  char pin[9];
  char ssid[257];
  char bssid[18];
  uint32_t channel; /* low byte used */
} WpsRequest;

#pragma pack(pop)

VTR_ASSERT_SIZE(WpsRequest, 292);
VTR_ASSERT_OFFSET(WpsRequest, method, 0);
VTR_ASSERT_OFFSET(WpsRequest, pin, 4);
VTR_ASSERT_OFFSET(WpsRequest, ssid, 13);
VTR_ASSERT_OFFSET(WpsRequest, bssid, 270);
VTR_ASSERT_OFFSET(WpsRequest, channel, 288);

/* Engine progress: (code, caller's context), called on the engine's thread. The context is
 * pointer-sized so that a caller can pass an object through it. */
typedef void (*VtrWpsCallback)(uint32_t code, uintptr_t context);

#endif
