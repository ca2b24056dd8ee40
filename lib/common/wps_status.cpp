#include "lib/common/wps_status.h"

namespace vtr::wps {
namespace {

using namespace platform;

constexpr StatusEntry kStatuses[] = {
    {kWpsNotUsed, "STATUS_WPS_NOTUSED", Reaction::kFail, kCallbackFailure},
    {kWpsIdle, "STATUS_WPS_IDLE", Reaction::kNone, 0},
    {kWpsScanAp, "STATUS_WPS_SCAN_AP", Reaction::kProgress, kCallbackScanning},
    {kWpsStartAssoc, "STATUS_WPS_START_ASSOC", Reaction::kProgress, kCallbackAssociating},
    {kWpsLinkUp, "STATUS_WPS_LINK_UP", Reaction::kNone, 0},
    {kWpsEapolStartSent, "STATUS_WPS_EAPOL_START_SENT", Reaction::kProgress, kCallbackHandshaking},
    {kWpsEapRspIdSent, "STATUS_WPS_EAP_RSP_ID_SENT", Reaction::kNone, 0},
    {kWpsEapRspAckSent, "STATUS_WPS_EAP_RSP_ACK_SENT", Reaction::kNone, 0},
    {kWpsEapReqNackReceived, "STATUS_WPS_EAP_REQ_NACK_RECEIVED", Reaction::kNone, 0},
    {kWpsEapConfigured, "STATUS_WPS_EAP_CONFIGURED", Reaction::kSucceed, kCallbackSuccess},
    {kWpsEapReqStartReceived, "STATUS_WPS_EAP_REQ_START_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM1Sent, "STATUS_WPS_EAP_M1_SENT", Reaction::kNone, 0},
    {kWpsEapM2Received, "STATUS_WPS_EAP_M2_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM2dReceived, "STATUS_WPS_EAP_M2D_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM3Sent, "STATUS_WPS_EAP_M3_SENT", Reaction::kNone, 0},
    {kWpsEapM4Received, "STATUS_WPS_EAP_M4_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM5Sent, "STATUS_WPS_EAP_M5_SENT", Reaction::kNone, 0},
    {kWpsEapM6Received, "STATUS_WPS_EAP_M6_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM7Sent, "STATUS_WPS_EAP_M7_SENT", Reaction::kNone, 0},
    {kWpsEapM8Received, "STATUS_WPS_EAP_M8_RECEIVED", Reaction::kNone, 0},
    {kWpsEapRspDoneSent, "STATUS_WPS_EAP_RSP_DONE_SENT", Reaction::kNone, 0},
    {kWpsEapM1Received, "STATUS_WPS_EAP_M1_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM2Sent, "STATUS_WPS_EAP_M2_SENT", Reaction::kNone, 0},
    {kWpsEapM2dSent, "STATUS_WPS_EAP_M2D_SENT", Reaction::kNone, 0},
    {kWpsEapM3Received, "STATUS_WPS_EAP_M3_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM4Sent, "STATUS_WPS_EAP_M4_SENT", Reaction::kNone, 0},
    {kWpsEapM5Received, "STATUS_WPS_EAP_M5_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM6Sent, "STATUS_WPS_EAP_M6_SENT", Reaction::kNone, 0},
    {kWpsEapM7Received, "STATUS_WPS_EAP_M7_RECEIVED", Reaction::kNone, 0},
    {kWpsEapM8Sent, "STATUS_WPS_EAP_M8_SENT", Reaction::kNone, 0},
    {kWpsEapReqDoneReceived, "STATUS_WPS_EAP_REQ_DONE_RECEIVED", Reaction::kNone, 0},
    {kWpsPbcTooManyAp, "STATUS_WPS_PBC_TOO_MANY_AP", Reaction::kPushButtonLimit,
     kCallbackTooManyPushButtonAps},
    {kWpsPbcNoAp, "STATUS_WPS_PBC_NO_AP", Reaction::kPushButtonLimit, kCallbackNoPushButtonAp},
    {kWpsEapFailReceived, "STATUS_WPS_EAP_FAIL_RECEIVED", Reaction::kNone, 0},
    {kWpsEapNonceMismatch, "STATUS_WPS_EAP_NONCE_MISMATCH", Reaction::kNone, 0},
    {kWpsEapInvalidData, "STATUS_WPS_EAP_INVALID_DATA", Reaction::kNone, 0},
    {kWpsPasswordMismatch, "STATUS_WPS_PASSWORD_MISMATCH", Reaction::kNone, 0},
    {kWpsInvalidSsid, "STATUS_WPS_INVALID_SSID", Reaction::kFail, kCallbackFailure},
    {kWpsEapReqWrongSmi, "STATUS_WPS_EAP_REQ_WRONG_SMI", Reaction::kFail, kCallbackFailure},
    {kWpsEapReqWrongVendorType, "STATUS_WPS_EAP_REQ_WRONG_VENDOR_TYPE", Reaction::kFail,
     kCallbackFailure},
    {kWpsEapFailed, "STATUS_WPS_EAP_FAILED", Reaction::kFail, kCallbackFailure},
};

}  // namespace

const StatusEntry* FindStatus(uint32_t status) {
  status &= kWpsStatusMask;
  for (const StatusEntry& entry : kStatuses) {
    if (entry.code == status) return &entry;
  }
  return nullptr;
}

}  // namespace vtr::wps
