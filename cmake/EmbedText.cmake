# Embeds a text file in the program as a C string, at build time, so that the file can be kept,
# read and checked as what it is (a script, a style sheet) instead of as a literal in C++.
#
# In a CMakeLists.txt:
#   quorvane_embed_text(<target> <input file> <symbol> <header that declares the symbol>)
# adds to <target> a generated source that defines `const char* const <symbol>` as the file's bytes
# with a terminating NUL. The header is included as written ("browser/scripts/ScriptDom.h").
#
# Run as a script (cmake -P) it writes that source:
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -DHEADER=<include> -P EmbedText.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${INPUT} bytes HEX)
  string(LENGTH "${bytes}" hex_length)
  if(hex_length EQUAL 0)
    message(FATAL_ERROR "${INPUT} is empty")
  endif()
  # Sixteen bytes a line, as 0x.. initialisers.
  string(REPEAT "[0-9a-f]" 32 line_pattern)
  string(REGEX REPLACE "(${line_pattern})" "\\1\n    " bytes "${bytes}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  get_filename_component(input_name ${INPUT} NAME)
  file(WRITE ${OUTPUT}.new
    "// Generated from ${input_name} by EmbedText.cmake: edit ${input_name}, not this file.\n"
    "#include \"${HEADER}\"\n\n"
    "namespace {\nconst unsigned char kBytes[] = {\n    ${bytes}0x00};\n}\n\n"
    "const char* const ${SYMBOL} = reinterpret_cast<const char*>(kBytes);\n")
  # An unchanged file keeps its time stamp, so that nothing is rebuilt for it.
  file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUTPUT}.new)
  return()
endif()

set(QUORVANE_EMBED_TEXT_SCRIPT ${CMAKE_CURRENT_LIST_FILE})
function(quorvane_embed_text target input symbol header)
  get_filename_component(input_name ${input} NAME_WE)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${input_name}Embedded.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol} -DHEADER=${header}
            -P ${QUORVANE_EMBED_TEXT_SCRIPT}
    DEPENDS ${input} ${QUORVANE_EMBED_TEXT_SCRIPT}
    COMMENT "Embedding ${input_name}" VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
