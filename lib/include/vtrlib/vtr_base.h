/* Basic types of the adapter library's C interface. */
#ifndef VTRLIB_VTR_BASE_H
#define VTRLIB_VTR_BASE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define VTR_EXTERN_C extern "C"
#define VTR_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define VTR_EXTERN_C extern
#define VTR_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#define VTR_API VTR_EXTERN_C __attribute__((visibility("default")))

/* Asserts the byte offset of a record field; every record crossing the interface is checked. */
#define VTR_ASSERT_OFFSET(type, field, offset) \
  VTR_STATIC_ASSERT(offsetof(type, field) == (offset), #type "." #field " offset")
#define VTR_ASSERT_SIZE(type, size) VTR_STATIC_ASSERT(sizeof(type) == (size), #type " size")

/* A boolean result: one byte, 0 or 1. */
typedef uint8_t VtrBool;

/* Windows SYSTEMTIME: eight 16-bit fields. */
typedef struct VtrSystemTime {
  uint16_t year;
  uint16_t month;
  uint16_t dayOfWeek;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t milliseconds;
} VtrSystemTime;
VTR_ASSERT_SIZE(VtrSystemTime, 16);

/* Predefined registry roots, passed through the registry exports unchanged. */
#define VTR_HKEY_CLASSES_ROOT 0x80000000u
#define VTR_HKEY_CURRENT_USER 0x80000001u
#define VTR_HKEY_LOCAL_MACHINE 0x80000002u
#define VTR_HKEY_USERS 0x80000003u

#endif
