# The Windows build's tests run under Wine (the toolchain file's emulator); this is what they
# need there beside the test binary.

# python3.exe, on Wine's PATH for the tests, runs the host's Python for the JSON schema check.
add_executable(nestwalk_wine_python3 ${CMAKE_CURRENT_LIST_DIR}/unix_python.cc)
target_link_options(nestwalk_wine_python3 PRIVATE -municode)
set(wine_path_folder ${PROJECT_BINARY_DIR}/wine-path)
set_target_properties(nestwalk_wine_python3 PROPERTIES OUTPUT_NAME python3
                      RUNTIME_OUTPUT_DIRECTORY ${wine_path_folder})
add_dependencies(nestwalk_tests nestwalk_wine_python3)
# The SID conversions are checked against the system's own (advapi32).
target_link_libraries(nestwalk_tests PRIVATE advapi32)

# The tests are listed when CTest runs (with the Wine prefix tests/windows/run prepares), not
# at build time, which would run Wine in whatever prefix the build's environment names.
string(REPLACE "/" "\\" wine_path "Z:${wine_path_folder}")
set(windows_test_discovery DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "WINEPATH=${wine_path}")

# The test sources themselves are compiled without optimisation, which takes the cross compiler
# far less time; the code they test, in the libraries, keeps the build's own flags.
target_compile_options(nestwalk_tests PRIVATE -O0)
