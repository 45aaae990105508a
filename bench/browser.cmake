# The browser engine against a loopback server: load, parse, lay out text and HTML per page, side
# by side with the parser alone, curl and (where installed) headless Chromium; and hostile pages
# with their peak memory.
add_executable(bench_browser ${CMAKE_CURRENT_SOURCE_DIR}/bench_browser.cpp)
target_link_libraries(bench_browser PRIVATE quorvane_browser quorvane_testsupport benchmark::benchmark)
set_target_properties(bench_browser PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
