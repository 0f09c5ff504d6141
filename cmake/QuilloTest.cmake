include(GoogleTest)

# quillo_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One test binary linked with the shared test main; ctest finds its cases.
function(quillo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE quillo_test_main ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    QUILLO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    QUILLO_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
