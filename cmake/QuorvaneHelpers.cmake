# Shared build settings and the small helpers that every module uses.

add_library(quorvane_options INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(quorvane_options INTERFACE -Wall -Wextra -Wpedantic -Wold-style-cast)
  if(QUORVANE_WERROR)
    target_compile_options(quorvane_options INTERFACE -Werror)
  endif()
  if(QUORVANE_SANITIZE)
    target_compile_options(quorvane_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                      -fno-sanitize-recover=undefined)
    target_link_options(quorvane_options INTERFACE -fsanitize=address,undefined)
  endif()
  if(QUORVANE_FUZZ)
    # The list of library functions left out of the coverage is copied under a name of its
    # content, so that a changed list changes the flags: the objects are built again, and no
    # compiler cache hands out ones built with the old list.
    set(coverage_ignore ${CMAKE_SOURCE_DIR}/fuzz/coverage-ignore.txt)
    set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${coverage_ignore})
    file(MD5 ${coverage_ignore} coverage_ignore_md5)
    set(coverage_ignore_copy ${CMAKE_BINARY_DIR}/coverage-ignore-${coverage_ignore_md5}.txt)
    configure_file(${coverage_ignore} ${coverage_ignore_copy} COPYONLY)
    target_compile_options(quorvane_options INTERFACE -fsanitize=fuzzer-no-link
                                                      -fsanitize-coverage-ignorelist=${coverage_ignore_copy})
  endif()
endif()
target_include_directories(quorvane_options INTERFACE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(quorvane_options INTERFACE QT_NO_KEYWORDS
                                                      QUORVANE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
                                                      QUORVANE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
                                                      QUORVANE_VERSION_PATCH=${PROJECT_VERSION_PATCH})

# quorvane_add_module(<name> [DEPS <targets>...])
# Builds the static library quorvane_<name> from every source in src/<name>.
function(quorvane_add_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(has_cpp FALSE)
  foreach(source ${sources})
    if(source MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(has_cpp)
    add_library(quorvane_${name} STATIC ${sources})
    target_link_libraries(quorvane_${name} PUBLIC quorvane_options ${ARG_DEPS})
  else()
    # A module without sources yet (or header-only) still offers its include path and dependencies.
    add_library(quorvane_${name} INTERFACE)
    target_link_libraries(quorvane_${name} INTERFACE quorvane_options ${ARG_DEPS})
  endif()
endfunction()

# add_unit_test(<module> [DEPS <targets>...] [ARGS <test arguments>...] [GUI])
# One test executable per module, built from every tests/<module>/*.cpp. Each test class
# registers itself (tests/support/TestRegistry.h) and the shared main runs them all.
function(add_unit_test module)
  cmake_parse_arguments(ARG "GUI" "" "DEPS;ARGS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${module}/*.cpp
                                      ${CMAKE_CURRENT_SOURCE_DIR}/${module}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${module} ${sources})
  set_target_properties(test_${module} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(ARG_GUI)
    target_link_libraries(test_${module} PRIVATE quorvane_testmain_gui)
  else()
    target_link_libraries(test_${module} PRIVATE quorvane_testmain)
  endif()
  target_link_libraries(test_${module} PRIVATE quorvane_testsupport ${ARG_DEPS})
  target_compile_definitions(test_${module} PRIVATE
    QUORVANE_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    QUORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    QUORVANE_APP_DIR="${QUORVANE_APP_DIR}"
    QUORVANE_EXE_SUFFIX="${CMAKE_EXECUTABLE_SUFFIX}")
  add_test(NAME ${module} COMMAND test_${module} ${ARG_ARGS})
  set_tests_properties(${module} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()
