# Fails unless the only symbol MODULE defines for the dynamic linker is the
# function DispatchMessage. Run with -DNM=<nm> -DMODULE=<path>.
execute_process(
  COMMAND ${NM} -D --defined-only ${MODULE}
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}: ${errors}")
endif()

string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(exported "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) (.+)$")
    list(APPEND exported "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
  endif()
endforeach()

if(NOT exported STREQUAL "T DispatchMessage")
  message(FATAL_ERROR "${MODULE} must export exactly the function DispatchMessage; it defines: ${exported}")
endif()
message(STATUS "exports: ${exported}")
