# The relay in front of Wine (cmake/wine-relay.sh) ends with its program, though a process the
# program left behind still holds the program's output, as Wine's desktop process does. It passes on
# the program's output, error output, input and exit status; run by CTest with a timeout shorter
# than the leftover's life, so that waiting for the leftover fails the test.
#   cmake -DRELAY=<cmake/wine-relay.sh> -DINPUT=<file> -P WineRelay.cmake
file(WRITE ${INPUT} "typed\n")
execute_process(
  COMMAND sh ${RELAY} sh -c "sleep 90 & read line; echo \"out \$line\"; echo err >&2; exit 3"
  INPUT_FILE ${INPUT} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 3 OR NOT out STREQUAL "out typed\n" OR NOT err STREQUAL "err\n")
  message(FATAL_ERROR "relayed: status ${status}, output '${out}', error output '${err}'")
endif()
