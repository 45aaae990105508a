quorvane_add_fuzzer(readers quorvane_readers)
if(TARGET fuzz_readers)
  # The shipped vendor table, so that lookups of decoded codes run against real entries.
  target_compile_definitions(fuzz_readers PRIVATE QUORVANE_DIST_DIR="${CMAKE_SOURCE_DIR}/dist/")
endif()
