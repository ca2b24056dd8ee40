/* Code sets shared by the library records and the profile record. */
#ifndef VTRLIB_CODES_H
#define VTRLIB_CODES_H

/* Band mode (phyMode). */
#define VTR_PHY_11B 2
#define VTR_PHY_11G 4
#define VTR_PHY_11A 6
#define VTR_PHY_UNDETERMINED 8
#define VTR_PHY_OTHER 10

/* Authentication codes; survey entries carry them as bit masks. */
#define VTR_AUTH_OPEN 0u
#define VTR_AUTH_SHARED 1u
#define VTR_AUTH_AUTO_SWITCH 2u
#define VTR_AUTH_WPA_PSK 4u
#define VTR_AUTH_WPA2_PSK 8u
#define VTR_AUTH_WPA 16u
#define VTR_AUTH_WPA2 32u
#define VTR_AUTH_UNKNOWN 0x80000000u

/* Cipher codes. */
#define VTR_CIPHER_NONE 0u
#define VTR_CIPHER_WEP 1u
#define VTR_CIPHER_TKIP 2u
#define VTR_CIPHER_AES 4u
#define VTR_CIPHER_UNKNOWN 0x80000000u

/* Network type. */
#define VTR_NETWORK_ADHOC 0u
#define VTR_NETWORK_INFRASTRUCTURE 1u

/* Link state of VtrLinkInfo. */
#define VTR_LINK_ASSOCIATED 1u
#define VTR_LINK_NOT_ASSOCIATED 2u
#define VTR_LINK_NO_ADAPTER 3u

#endif
