// Result codes shared with the console. Every entry point returns one of these.
#ifndef TERVO_FPR_RESULT_CODES_H
#define TERVO_FPR_RESULT_CODES_H

namespace tervo::fpr {

constexpr int GA_OK = 1;
constexpr int GA_NO_ERROR = 0;
constexpr int GA_E_INVALID_PARAMETER = -1;
constexpr int GA_E_INSERFICIENT_MEMORY = -2;
constexpr int GA_E_NOT_IMPLEMENT = -3;
constexpr int GA_E_DEVICE_NOFOUND = -4;
constexpr int GA_E_DEVICE_NOINIT = -5;  // answered by every working entry point before FP_Begin
constexpr int GA_E_RESERVED = -6;
constexpr int GA_E_NO_PERMISSION = -7;
constexpr int GA_E_TIMEOUT = -101;
constexpr int GA_E_FILEIILEGAL = -102;  // bad BMP header, corrupt template, corrupt compressed stream

}  // namespace tervo::fpr

#endif
