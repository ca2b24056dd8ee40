// Windows error codes and constants the ports answer with.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorNotEnoughMemory = 8;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorBufferOverflow = 111;
inline constexpr long kErrorInsufficientBuffer = 122;
inline constexpr long kErrorAlreadyExists = 183;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorNotSupported = 50;
inline constexpr long kErrorKeyDeleted = 1018;
inline constexpr long kErrorGenFailure = 31;
inline constexpr long kErrorNoData = 232;
inline constexpr long kErrorOperationAborted = 995;
inline constexpr long kErrorIoIncomplete = 996;
inline constexpr long kErrorIoPending = 997;

// Thread-local last error, as GetLastError and SetLastError keep it.
long GetLastError();
void SetLastError(long error);

}  // namespace platform
