/* The adapter library's C interface: the VTR_* exports of both builds (libVTRLib.so over the
 * adapter's driver, libVantrelLib.so over the Native Wi-Fi service) and the records they take.
 *
 * Callers bind the library at run time by name; a build may lack entry points, and callers
 * must cope (see the binding in app/core). Every record is caller-allocated; the library never
 * keeps a pointer to one. */
#ifndef VTRLIB_H
#define VTRLIB_H

#include "vtrlib/adapter_records.h"
#include "vtrlib/codes.h"
#include "vtrlib/profile_record.h"
#include "vtrlib/vtr_base.h"
#include "vtrlib/wps_request.h"

/* Lifecycle and adapter discovery. */
VTR_API int32_t VTR_Initialize(uintptr_t ownerWindow);
VTR_API VtrBool VTR_UnInitialize(void);
VTR_API VtrBool VTR_IsCardConnect(void);
/* Class-key look-ups for installers; guid receives at most guidSize bytes, NUL included. */
VTR_API void VTR_GetIndexAndGUIDByVIDPID(const char* hardwareId, uint32_t* index, char* guid,
                                         uint32_t guidSize);
VTR_API void VTR_GetIndexByGUID(const char* guid, uint32_t* index);

/* Radio, power and regulatory settings. */
VTR_API VtrBool VTR_SetSuspendMode(void);
VTR_API VtrBool VTR_SetWakeUpMode(void);
VTR_API VtrBool VTR_GetRadioMode(uint32_t* mode);
VTR_API VtrBool VTR_SetRadioMode(uint32_t mode);
VTR_API VtrBool VTR_SetCountryDomain(uint32_t countryCode);
VTR_API VtrBool VTR_SetRegionalDomain(uint32_t regionCode);
VTR_API VtrBool VTR_GetAdapterCapability(VtrCapability* capability);
VTR_API void VTR_DriverParameter(VtrAdapterInfo* info);

/* Scan, connection and link. */
VTR_API int32_t VTR_SiteSurveyEx(uint32_t filterMask, uint32_t sortKey, uint32_t sortDescending,
                                 uint32_t scanMode, VtrSurveyEntry* entries, uint32_t signalFormat);
VTR_API VtrBool VTR_ConnectToAP(ProfileRecord* profile, uint32_t flags);
VTR_API VtrBool VTR_DisConnectToAP(void);
VTR_API void VTR_APLinkInformation(VtrLinkInfo* link, uint32_t flags);
VTR_API void VTR_APInternetInformation(VtrIpInfo* ip);

/* Profiles. */
VTR_API const char* VTR_ProfileSetting(const ProfileStorageSetting* setting);
VTR_API void VTR_InitialProfile(ProfileRecord* record);
VTR_API VtrBool VTR_ReadSingleProfile(const char* name, ProfileRecord* record);
VTR_API int32_t VTR_ReadProfileList(int32_t max, ProfileRecord* list);
VTR_API VtrBool VTR_WriteSingleProfile(const char* name, const ProfileRecord* record);
VTR_API int32_t VTR_WriteProfileList(int32_t count, const ProfileRecord* list);
VTR_API VtrBool VTR_SetDefaultProfile(int32_t count, const char* name, ProfileRecord* list);
VTR_API int32_t VTR_AddProfile(int32_t max, const char* name, const ProfileRecord* record);
VTR_API VtrBool VTR_DeleteProfile(const char* name);
VTR_API int32_t VTR_FindProfile(int32_t count, const char* name, const ProfileRecord* list);
VTR_API int32_t VTR_FindDefaultProfile(int32_t count, const ProfileRecord* list);
VTR_API int32_t VTR_ImportProfile(const char* path, int32_t max);
VTR_API VtrBool VTR_ExportProfile(const char* path);

/* Wi-Fi Protected Setup. */
VTR_API int32_t VTR_WPSInitialize(void);
VTR_API int32_t VTR_WPSUninitialize(void);
VTR_API int32_t VTR_WPSStartEngine(WpsRequest request, VtrWpsCallback callback, uintptr_t context);
VTR_API int32_t VTR_WPSStopEngine(void);
VTR_API int32_t VTR_WPSGetProfile(ProfileRecord* record);
VTR_API int32_t VTR_WPSGeneratePin(char* text);

/* WEP keys from passphrases, and hexadecimal text. */
VTR_API void VTR_Passphrase64(const char* passphrase, uint8_t* keys /* 64 bytes */);
VTR_API void VTR_Passphrase128(const char* passphrase, uint8_t* key /* 16 bytes */);
VTR_API char* VTR_HexToString(const uint8_t* bytes, uint32_t byteCount, char* text,
                              uint32_t digitCount, uint32_t reverseOrder);
VTR_API uint8_t* VTR_StringToHex(const char* text, uint32_t textLength, uint8_t* bytes,
                                 uint32_t byteCount, uint32_t reverseOrder);

/* Registry access. root is a predefined root (VTR_HKEY_*); wow64 non-zero asks for the 64-bit
 * registry view. */
VTR_API VtrBool VTR_GetRegistryString(const char* key, const char* name, char* buffer,
                                      uint32_t bufferSize, const char* defaultText, uint32_t root,
                                      uint32_t wow64);
VTR_API VtrBool VTR_SetRegistryString(const char* key, const char* name, const char* text,
                                      uint32_t root, uint32_t wow64);
VTR_API VtrBool VTR_GetRegistryMultiStr(const char* key, const char* name, char* buffer,
                                        uint32_t bufferSize, const char* defaultValue,
                                        uint32_t root);
VTR_API VtrBool VTR_SetRegistryMultiStr(const char* key, const char* name, const char* data,
                                        uint32_t size, uint32_t root);
VTR_API VtrBool VTR_GetRegistryDWORD(const char* key, const char* name, uint32_t* result,
                                     uint32_t defaultValue, uint32_t root, uint32_t wow64);
VTR_API VtrBool VTR_SetRegistryDWORD(const char* key, const char* name, uint32_t value,
                                     uint32_t root, uint32_t wow64);
VTR_API VtrBool VTR_GetRegistryWORD(const char* key, const char* name, uint16_t* result,
                                    uint16_t defaultValue, uint32_t root, uint32_t wow64);
VTR_API VtrBool VTR_SetRegistryWORD(const char* key, const char* name, uint16_t value,
                                    uint32_t root, uint32_t wow64);
VTR_API VtrBool VTR_GetRegistryBYTE(const char* key, const char* name, uint8_t* result,
                                    uint8_t defaultValue, uint32_t root, uint32_t wow64);
VTR_API VtrBool VTR_SetRegistryBYTE(const char* key, const char* name, uint8_t value, uint32_t root,
                                    uint32_t wow64);
VTR_API VtrBool VTR_GetRegistryBinary(const char* key, const char* name, uint8_t* buffer,
                                      uint32_t bufferSize, uint32_t root);
VTR_API VtrBool VTR_SetRegistryBinary(const char* key, const char* name, const uint8_t* data,
                                      uint32_t size, uint32_t root);
VTR_API VtrBool VTR_GetRegEnumerator(const char* key, uint32_t index, char* buffer,
                                     uint32_t bufferSize, const char* defaultText, uint32_t root,
                                     uint32_t wow64);
VTR_API VtrBool VTR_DeleteRegistry(const char* key, uint32_t root);
VTR_API VtrBool VTR_DeleteRegistryValue(const char* key, const char* name, uint32_t root,
                                        uint32_t wow64);

/* Zero-configuration service. */
VTR_API VtrBool VTR_IsZeroConfigON(void);
VTR_API VtrBool VTR_EnableZeroConfig(uint32_t enable);
VTR_API VtrBool VTR_IsZeroConfigServiceON(void);
VTR_API VtrBool VTR_EnableZeroConfigService(uint32_t mode);
VTR_API VtrBool VTR_SetZeroConfigControlMode(uint32_t mode);

/* IP configuration through WMI: 0 when the method ran, 1 when anything before it failed. */
VTR_API int32_t VTR_WMIEnableDHCP(int32_t adapterIndex);
VTR_API int32_t VTR_WMIEnableStatic(int32_t adapterIndex, const char* address, const char* mask);
VTR_API int32_t VTR_WMISetDefaultGateway(int32_t adapterIndex, const char* gateway);
VTR_API int32_t VTR_WMISetDNSServerSearchOrder(int32_t adapterIndex, const char* first,
                                               const char* second);

#endif
