quorvane_add_fuzzer(http quorvane_browser)
if(TARGET fuzz_http)
  # Compresses the bodies of its answers itself.
  find_package(ZLIB REQUIRED)
  target_link_libraries(fuzz_http PRIVATE ZLIB::ZLIB)
endif()
