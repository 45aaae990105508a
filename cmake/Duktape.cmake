# The script interpreter of the browser engine: Duktape, built from the amalgamated source that
# Debian's duktape-dev ships (/usr/share/duktape), with our own configuration. Debian's shared
# library is built without the executor interrupt, so a script like while(1){} could not be
# stopped with it; built here, the interpreter
# - asks QuorvaneScriptTimedOut() every so many bytecode instructions whether to stop the script
#   (the time bound),
# - throws C++ exceptions instead of jumping with longjmp, so that an error raised while one of our
#   native functions is on the stack unwinds it properly, and a heap that outgrows its budget can
#   be abandoned (the heap bound, see ScriptEngine.cpp),
# - asks it every 256 instructions instead of every 262,144, because one instruction may call a
#   built-in that works for milliseconds (a search through a long string): 262,144 such calls
#   would keep a script running for minutes after its time was up,
# - gives up a regular expression after 10^7 backtracking steps instead of 10^9, which would take
#   several seconds, and asks QuorvaneScriptTimedOut() every 4,096 steps too, so that a script
#   that runs such patterns in a loop stops when its time is up.
# The library's headers stay inside src/browser/scripts/ScriptEngine.cpp.
set(QUORVANE_DUKTAPE_SOURCE_DIR /usr/share/duktape CACHE PATH "Folder with duktape.c, duktape.h and duk_config.h")
if(NOT EXISTS ${QUORVANE_DUKTAPE_SOURCE_DIR}/duktape.c)
  message(FATAL_ERROR "duktape.c not found in ${QUORVANE_DUKTAPE_SOURCE_DIR} (Debian: apt-get install duktape-dev)")
endif()

set(duk_dir ${CMAKE_BINARY_DIR}/duktape)
file(READ ${QUORVANE_DUKTAPE_SOURCE_DIR}/duk_config.h duk_config)
foreach(option DUK_USE_INTERRUPT_COUNTER DUK_USE_CPP_EXCEPTIONS)
  string(REPLACE "#undef ${option}\n" "#define ${option}\n" duk_config "${duk_config}")
endforeach()
string(REPLACE "#undef DUK_USE_EXEC_TIMEOUT_CHECK\n"
               "#define DUK_USE_EXEC_TIMEOUT_CHECK(udata) QuorvaneScriptTimedOut(udata)\n" duk_config "${duk_config}")
string(REPLACE "#endif  /* DUK_CONFIG_H_INCLUDED */"
               "DUK_EXTERNAL_DECL duk_bool_t QuorvaneScriptTimedOut(void *udata);\n#endif  /* DUK_CONFIG_H_INCLUDED */"
               duk_config "${duk_config}")
foreach(expected "#define DUK_USE_INTERRUPT_COUNTER\n" "#define DUK_USE_CPP_EXCEPTIONS\n"
                 "#define DUK_USE_EXEC_TIMEOUT_CHECK(" "QuorvaneScriptTimedOut(void")
  string(FIND "${duk_config}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "duk_config.h in ${QUORVANE_DUKTAPE_SOURCE_DIR} is not of the expected form")
  endif()
endforeach()
# Written through a copy so that an unchanged configuration does not rebuild the interpreter.
file(WRITE ${duk_dir}/duk_config.h.new "${duk_config}")
configure_file(${duk_dir}/duk_config.h.new ${duk_dir}/duk_config.h COPYONLY)

file(READ ${QUORVANE_DUKTAPE_SOURCE_DIR}/duktape.c duk_source)
# Replaces text that must occur exactly once in the interpreter's source.
function(duk_patch from to)
  string(FIND "${duk_source}" "${from}" first)
  string(FIND "${duk_source}" "${from}" last REVERSE)
  if(first EQUAL -1 OR NOT first EQUAL last)
    message(FATAL_ERROR "duktape.c in ${QUORVANE_DUKTAPE_SOURCE_DIR} is not of the expected form")
  endif()
  string(REPLACE "${from}" "${to}" patched "${duk_source}")
  set(duk_source "${patched}" PARENT_SCOPE)
endfunction()
duk_patch("#define DUK_HTHREAD_INTCTR_DEFAULT (256L * 1024L)" "#define DUK_HTHREAD_INTCTR_DEFAULT 256L")
duk_patch("#define DUK_RE_EXECUTE_STEPS_LIMIT 1000000000L" "#define DUK_RE_EXECUTE_STEPS_LIMIT 10000000L")
duk_patch("\t\tre_ctx->steps_count++;\n"
          "\t\tre_ctx->steps_count++;
\t\tif ((re_ctx->steps_count & 0xfffUL) == 0 && QuorvaneScriptTimedOut(re_ctx->thr->heap->heap_udata)) {
\t\t\tDUK_ERROR_RANGE(re_ctx->thr, \"execution timeout\");
\t\t\tDUK_WO_NORETURN(return NULL;);
\t\t}
")
# The fatal path's forever loop sits right behind the call of the fatal handler, which throws:
# Wine's unwinder, which follows jumps at a return address to find an epilogue, then follows that
# jump to itself forever and the exception never arrives. abort() there gives it a plain call.
duk_patch("\tDUK_D(DUK_DPRINT(\"fatal error handler returned, all bets are off!\"));\n"
          "\tDUK_D(DUK_DPRINT(\"fatal error handler returned, all bets are off!\"));\n\tDUK_ABORT();\n")
file(WRITE ${duk_dir}/duktape.cpp.new "${duk_source}")
configure_file(${duk_dir}/duktape.cpp.new ${duk_dir}/duktape.cpp COPYONLY)
configure_file(${QUORVANE_DUKTAPE_SOURCE_DIR}/duktape.h ${duk_dir}/duktape.h COPYONLY)

add_library(quorvane_duktape STATIC ${duk_dir}/duktape.cpp)
target_include_directories(quorvane_duktape SYSTEM PUBLIC ${duk_dir})
# Third-party code: built without our warning flags, and without the sanitizers' instrumentation.
target_compile_options(quorvane_duktape PRIVATE -w -fexceptions)
set_target_properties(quorvane_duktape PROPERTIES POSITION_INDEPENDENT_CODE ON CXX_CLANG_TIDY "")
