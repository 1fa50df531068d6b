# Fails unless LIBRARY defines exactly the 21 LIVESCAN_ entry points of the
# contract header plus LIVESCAN_SetGain(unsigned char), and has its own file
# name as SONAME.
find_program(NM nm REQUIRED)
find_program(READELF readelf REQUIRED)
execute_process(COMMAND ${NM} -D --defined-only --format=posix ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "(^|\n)[^ \n]+" names "${listing}")
list(TRANSFORM names STRIP)
list(SORT names)
set(expected
  LIVESCAN_BeginCapture LIVESCAN_Close LIVESCAN_EndCapture LIVESCAN_GetBright LIVESCAN_GetCaptWindow
  LIVESCAN_GetChannelCount LIVESCAN_GetContrast LIVESCAN_GetDesc LIVESCAN_GetErrorInfo LIVESCAN_GetFPBmpData
  LIVESCAN_GetFPRawData LIVESCAN_GetMaxImageSize LIVESCAN_GetVersion LIVESCAN_Init LIVESCAN_IsSupportSetup
  LIVESCAN_PlaySound LIVESCAN_SetBright LIVESCAN_SetBufferEmpty LIVESCAN_SetCaptWindow LIVESCAN_SetContrast
  LIVESCAN_Setup LIVESCAN_SetGain)
list(SORT expected)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported symbols differ\n  found:    ${names}\n  expected: ${expected}")
endif()
execute_process(COMMAND ${READELF} -d ${LIBRARY} OUTPUT_VARIABLE dynamic)
if(NOT dynamic MATCHES "Library soname: \\[libID_FprCap.so\\]")
  message(FATAL_ERROR "SONAME is not libID_FprCap.so")
endif()
