/* A library build with only a handful of entry points, standing in for an older or newer build
 * that lacks most of them. Each present entry answers something a test can only get from this
 * file (and from the arguments it was given), so a wrapper bound to the wrong entry point or
 * passing its arguments in the wrong order shows. */
#include <stdio.h>
#include <string.h>

#include "vtrlib.h"

/* The last registry call received, as text, for the tests of argument forwarding. */
static char lastCall[512];

VTR_API const char* PartialVtrLastCall(void) {
  return lastCall;
}

VTR_API int32_t VTR_Initialize(uintptr_t ownerWindow) {
  (void)ownerWindow;
  return 7;
}

VTR_API VtrBool VTR_IsCardConnect(void) {
  return 1;
}

VTR_API VtrBool VTR_GetRadioMode(uint32_t* mode) {
  *mode = 1;
  return 1;
}

/* Found and present, unlike its 152-bit sibling. */
VTR_API void VTR_Passphrase128(const char* passphrase, uint8_t* key) {
  memset(key, 0xA5, 16);
  key[0] = (uint8_t)strlen(passphrase);
}

VTR_API char* VTR_HexToString(const uint8_t* bytes, uint32_t byteCount, char* text,
                              uint32_t digitCount, uint32_t reverseOrder) {
  snprintf(text, digitCount + 1u, "%02X%u%u", bytes[0], (unsigned)byteCount,
           (unsigned)reverseOrder);
  return text;
}

VTR_API int32_t VTR_FindProfile(int32_t count, const char* name, const ProfileRecord* list) {
  (void)list;
  return count * 100 + (int32_t)strlen(name);
}

VTR_API int32_t VTR_WPSGeneratePin(char* text) {
  strcpy(text, "12345670");
  return 0;
}

VTR_API void VTR_DriverParameter(VtrAdapterInfo* info) {
  memset(info, 0, sizeof *info);
  strcpy(info->description, "Partial Adapter");
  info->driverDate.year = 2008;
}

VTR_API VtrBool VTR_SetRegistryMultiStr(const char* key, const char* name, const char* data,
                                        uint32_t size, uint32_t root) {
  snprintf(lastCall, sizeof lastCall, "SetRegistryMultiStr %s|%s|%.*s|%u|%08X", key, name,
           (int)size, data, (unsigned)size, (unsigned)root);
  return 1;
}

VTR_API VtrBool VTR_DeleteRegistry(const char* key, uint32_t root) {
  snprintf(lastCall, sizeof lastCall, "DeleteRegistry %s|%08X", key, (unsigned)root);
  return 1;
}

VTR_API VtrBool VTR_GetRegistryDWORD(const char* key, const char* name, uint32_t* result,
                                     uint32_t defaultValue, uint32_t root, uint32_t wow64) {
  snprintf(lastCall, sizeof lastCall, "GetRegistryDWORD %s|%s|%u|%08X|%u", key, name,
           (unsigned)defaultValue, (unsigned)root, (unsigned)wow64);
  *result = 0xC0FFEE;
  return 0;
}
