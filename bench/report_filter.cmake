# The report filter on a long system log: every line with an address of its own.
add_executable(bench_report_filter ${CMAKE_CURRENT_SOURCE_DIR}/bench_report_filter.cpp)
target_link_libraries(bench_report_filter PRIVATE quorvane_privacy benchmark::benchmark)
set_target_properties(bench_report_filter PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
