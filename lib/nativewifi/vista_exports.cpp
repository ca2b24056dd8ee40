// The adapter exports of the Vista build: each calls one operation of the backend object and
// returns its result unchanged.
#include "lib/common/export_boundary.h"
#include "lib/nativewifi/chipset_vista_lib.h"
#include "vtrlib.h"

using vtr::Backend;

int32_t VTR_Initialize(uintptr_t ownerWindow) try {
  return Backend().Initialize(ownerWindow);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

VtrBool VTR_UnInitialize(void) try { return Backend().UnInitialize(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_IsCardConnect(void) try { return Backend().IsCardConnect(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetSuspendMode(void) try { return Backend().SetSuspendMode(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetWakeUpMode(void) try { return Backend().SetWakeUpMode(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetRadioMode(uint32_t* mode) try { return Backend().GetRadioMode(mode); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRadioMode(uint32_t mode) try { return Backend().SetRadioMode(mode); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetCountryDomain(uint32_t countryCode) try {
  return Backend().SetCountryDomain(countryCode);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegionalDomain(uint32_t regionCode) try {
  return Backend().SetRegionalDomain(regionCode);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetAdapterCapability(VtrCapability* capability) try {
  return Backend().GetAdapterCapability(capability);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

int32_t VTR_SiteSurveyEx(uint32_t filterMask, uint32_t sortKey, uint32_t sortDescending,
                         uint32_t scanMode, VtrSurveyEntry* entries, uint32_t signalFormat) try {
  return Backend().SiteSurveyEx(filterMask, sortKey, sortDescending, scanMode, entries,
                                signalFormat);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

VtrBool VTR_ConnectToAP(ProfileRecord* profile, uint32_t flags) try {
  return Backend().ConnectToAP(profile, flags);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_DisConnectToAP(void) try { return Backend().DisConnectToAP(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

void VTR_APLinkInformation(VtrLinkInfo* link, uint32_t flags) try {
  Backend().APLinkInformation(link, flags);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}

void VTR_APInternetInformation(VtrIpInfo* ip) try {
  Backend().APInternetInformation(ip);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}

void VTR_DriverParameter(VtrAdapterInfo* info) try {
  Backend().DriverParameter(info);
} catch (...) {
  vtr::ExceptionAtBoundary(__func__);
}

int32_t VTR_WPSInitialize(void) try { return Backend().WPSInitialize(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSUninitialize(void) try { return Backend().WPSUninitialize(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSStartEngine(WpsRequest request, VtrWpsCallback callback, uintptr_t context) try {
  return Backend().WPSStartEngine(request, callback, context);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSStopEngine(void) try { return Backend().WPSStopEngine(); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSGetProfile(ProfileRecord* record) try {
  return Backend().WPSGetProfile(record);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}

int32_t VTR_WPSGeneratePin(char* text) try { return Backend().WPSGeneratePin(text); } catch (...) {
  return vtr::ExceptionAtBoundary(__func__, int32_t{-1});
}
