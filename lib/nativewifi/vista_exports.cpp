// The adapter exports of the Vista build: each calls one operation of the backend object and
// returns its result unchanged.
#include "lib/nativewifi/chipset_vista_lib.h"
#include "vtrlib.h"

using vtr::Backend;

int32_t VTR_Initialize(uintptr_t ownerWindow) {
  return Backend().Initialize(ownerWindow);
}

VtrBool VTR_UnInitialize(void) {
  return Backend().UnInitialize();
}

VtrBool VTR_IsCardConnect(void) {
  return Backend().IsCardConnect();
}

VtrBool VTR_SetSuspendMode(void) {
  return Backend().SetSuspendMode();
}

VtrBool VTR_SetWakeUpMode(void) {
  return Backend().SetWakeUpMode();
}

VtrBool VTR_GetRadioMode(uint32_t* mode) {
  return Backend().GetRadioMode(mode);
}

VtrBool VTR_SetRadioMode(uint32_t mode) {
  return Backend().SetRadioMode(mode);
}

VtrBool VTR_SetCountryDomain(uint32_t countryCode) {
  return Backend().SetCountryDomain(countryCode);
}

VtrBool VTR_SetRegionalDomain(uint32_t regionCode) {
  return Backend().SetRegionalDomain(regionCode);
}

VtrBool VTR_GetAdapterCapability(VtrCapability* capability) {
  return Backend().GetAdapterCapability(capability);
}

int32_t VTR_SiteSurveyEx(uint32_t filterMask, uint32_t sortKey, uint32_t sortDescending,
                         uint32_t scanMode, VtrSurveyEntry* entries, uint32_t signalFormat) {
  return Backend().SiteSurveyEx(filterMask, sortKey, sortDescending, scanMode, entries,
                                signalFormat);
}

VtrBool VTR_ConnectToAP(ProfileRecord* profile, uint32_t flags) {
  return Backend().ConnectToAP(profile, flags);
}

VtrBool VTR_DisConnectToAP(void) {
  return Backend().DisConnectToAP();
}

void VTR_APLinkInformation(VtrLinkInfo* link, uint32_t flags) {
  Backend().APLinkInformation(link, flags);
}

void VTR_APInternetInformation(VtrIpInfo* ip) {
  Backend().APInternetInformation(ip);
}

void VTR_DriverParameter(VtrAdapterInfo* info) {
  Backend().DriverParameter(info);
}

int32_t VTR_WPSInitialize(void) {
  return Backend().WPSInitialize();
}

int32_t VTR_WPSUninitialize(void) {
  return Backend().WPSUninitialize();
}

int32_t VTR_WPSStartEngine(WpsRequest request, VtrWpsCallback callback, uintptr_t context) {
  return Backend().WPSStartEngine(request, callback, context);
}

int32_t VTR_WPSStopEngine(void) {
  return Backend().WPSStopEngine();
}

int32_t VTR_WPSGetProfile(ProfileRecord* record) {
  return Backend().WPSGetProfile(record);
}

int32_t VTR_WPSGeneratePin(char* text) {
  return Backend().WPSGeneratePin(text);
}
