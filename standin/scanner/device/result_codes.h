// Result codes of the capture library, the same values the console prints.
#pragma once

namespace tervo::scanner {

constexpr int GA_OK = 1;
constexpr int GA_NO_ERROR = 0;
constexpr int GA_E_INVALID_PARAMETER = -1;
constexpr int GA_E_INSERFICIENT_MEMORY = -2;
constexpr int GA_E_NOT_IMPLEMENT = -3;
constexpr int GA_E_DEVICE_NOFOUND = -4;
constexpr int GA_E_DEVICE_NOINIT = -5;
constexpr int GA_E_RESERVED = -6;
constexpr int GA_E_NO_PERMISSION = -7;
constexpr int GA_E_TIMEOUT = -101;
constexpr int GA_E_FILEIILEGAL = -102;
// Shares its value with GA_E_FILEIILEGAL on the real device as well.
constexpr int GA_E_NOBEGINCAPTURE = -102;

}  // namespace tervo::scanner
