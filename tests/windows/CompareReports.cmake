# Compares the report of quorvane-cli.exe under Wine with the Linux program's report of the same
# run, apart from the IP configuration (each PC's own listing) and the time in the header line.
#   cmake -DLINUX_REPORT= -DLINUX_LISTING= -DWINDOWS_REPORT= -DWINDOWS_LISTING= -P CompareReports.cmake
# The listings are the ipcon.txt files that each system's NetworkInfo script wrote. Texts are
# compared as lines (CR LF, and the listing's extra CR, become one LF); the report's own line ends
# are checked byte by byte by the caller.
foreach(var LINUX_REPORT LINUX_LISTING WINDOWS_REPORT WINDOWS_LISTING)
  if(NOT EXISTS "${${var}}")
    message(FATAL_ERROR "CompareReports: ${var} (${${var}}) does not exist")
  endif()
endforeach()

function(read_lines file out)
  file(READ "${file}" text)
  string(REGEX REPLACE "\r+\n" "\n" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(without_listing report listing out)
  # Blank lines around the listing are its own: one system's starts with one, the other's not.
  string(REGEX REPLACE "^\n+" "" listing "${listing}")
  string(REGEX REPLACE "\n+$" "" listing "${listing}")
  if(listing STREQUAL "")
    message(FATAL_ERROR "CompareReports: an empty listing")
  endif()
  string(FIND "${report}" "${listing}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "CompareReports: the report does not hold the PC's IP configuration")
  endif()
  string(REPLACE "${listing}" "<IP configuration>" report "${report}")
  string(REGEX REPLACE "\n*<IP configuration>\n*" "\n<IP configuration>\n" report "${report}")
  # The header's time of day.
  string(REGEX REPLACE "^([^\n]* - v[0-9.]+ - )[0-9/]+ [0-9:]+" "\\1<time>" report "${report}")
  set(${out} "${report}" PARENT_SCOPE)
endfunction()

read_lines("${LINUX_REPORT}" linux)
read_lines("${LINUX_LISTING}" linux_listing)
read_lines("${WINDOWS_REPORT}" windows)
read_lines("${WINDOWS_LISTING}" windows_listing)
without_listing("${linux}" "${linux_listing}" linux)
without_listing("${windows}" "${windows_listing}" windows)
if(NOT linux STREQUAL windows)
  file(WRITE "${WINDOWS_REPORT}.compared" "${windows}")
  file(WRITE "${LINUX_REPORT}.compared" "${linux}")
  message(FATAL_ERROR "CompareReports: the reports differ; compare ${LINUX_REPORT}.compared with ${WINDOWS_REPORT}.compared")
endif()
string(REGEX MATCHALL "\n" lines "${windows}")
list(LENGTH lines count)
message(STATUS "CompareReports: the Windows and Linux reports agree (${count} lines)")
