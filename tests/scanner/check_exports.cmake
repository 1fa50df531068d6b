# Fails unless LIBRARY defines exactly the 21 LIVESCAN_ entry points of the
# contract's table plus LIVESCAN_SetGain(unsigned char), and has its own file
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
# The contract's entry points, read from its table (ENTRIES), and the gain call.
file(STRINGS ${ENTRIES} rows REGEX "^TERVO_LIVESCAN_[A-Z]+\\(")
set(expected LIVESCAN_SetGain)
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^TERVO_LIVESCAN_[A-Z]+\\(([A-Za-z_]+),.*" "\\1" name "${row}")
  list(APPEND expected ${name})
endforeach()
list(SORT expected)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported symbols differ\n  found:    ${names}\n  expected: ${expected}")
endif()
execute_process(COMMAND ${READELF} -d ${LIBRARY} OUTPUT_VARIABLE dynamic)
if(NOT dynamic MATCHES "Library soname: \\[libID_FprCap.so\\]")
  message(FATAL_ERROR "SONAME is not libID_FprCap.so")
endif()
