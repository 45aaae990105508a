# Fails when a source of one layer of a module includes a header of a layer above it, so that the
# layers' order holds by the build and not by convention.
#   cmake -DLAYER_DIR=<folder> -DABOVE=<include prefix>,<include prefix>... -DSTAMP=<file> -P CheckLayerIncludes.cmake
# ABOVE names the folders of the higher layers as they are included ("browser/engine/").
string(REPLACE "," ";" above "${ABOVE}")
file(GLOB sources ${LAYER_DIR}/*.cpp ${LAYER_DIR}/*.h ${LAYER_DIR}/*.js)
set(faults "")
foreach(source ${sources})
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line ${includes})
    foreach(prefix ${above})
      string(FIND "${line}" "${prefix}" found)
      if(NOT found EQUAL -1)
        string(APPEND faults "\n  ${source}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "A lower layer includes a higher one:${faults}")
endif()
file(WRITE ${STAMP} "")
