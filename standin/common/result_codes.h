// Result codes of the capture and algorithm libraries, the values the console
// prints. Every entry point of the stand-ins returns one of these.
#ifndef TERVO_STANDIN_RESULT_CODES_H
#define TERVO_STANDIN_RESULT_CODES_H

namespace tervo {

constexpr int GA_OK = 1;
constexpr int GA_NO_ERROR = 0;
constexpr int GA_E_INVALID_PARAMETER = -1;
constexpr int GA_E_INSERFICIENT_MEMORY = -2;
constexpr int GA_E_NOT_IMPLEMENT = -3;
constexpr int GA_E_DEVICE_NOFOUND = -4;
constexpr int GA_E_DEVICE_NOINIT = -5;  // any call while the device is closed, or before FP_Begin
constexpr int GA_E_RESERVED = -6;
constexpr int GA_E_NO_PERMISSION = -7;
constexpr int GA_E_TIMEOUT = -101;
constexpr int GA_E_FILEIILEGAL = -102;  // bad BMP header, corrupt template, corrupt compressed stream
// Shares its value with GA_E_FILEIILEGAL on the real device as well.
constexpr int GA_E_NOBEGINCAPTURE = -102;

}  // namespace tervo

#endif
