# The line history: a sample, the summary of a day, the plot of a month, the size of a year.
if(TARGET quorvane_history_view AND QUORVANE_HISTORY_PLOT)
  add_executable(bench_history ${CMAKE_CURRENT_SOURCE_DIR}/bench_history.cpp)
  target_link_libraries(bench_history PRIVATE quorvane_history_view benchmark::benchmark)
  set_target_properties(bench_history PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
