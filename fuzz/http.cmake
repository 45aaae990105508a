quorvane_add_fuzzer(http quorvane_browser)
if(TARGET fuzz_http)
  # Shares the tests' compressor for building its encoded answers.
  target_include_directories(fuzz_http PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endif()
