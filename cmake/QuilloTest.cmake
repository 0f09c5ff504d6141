include(GoogleTest)

# quillo_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [SERIAL])
# One test binary linked with the shared test main; ctest finds its cases. A test that links
# the window library gets the QApplication main, any other the QCoreApplication one.
function(quillo_add_test name)
  cmake_parse_arguments(ARG "SERIAL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if("quillo_window" IN_LIST ARG_LIBS)
    set(main quillo_test_main)
  else()
    set(main quillo_core_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${main} ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    QUILLO_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    QUILLO_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # SERIAL: the cases start real servers (Kannel) or time simulated modems, and must not share
  # the machine with other tests.
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300 RUN_SERIAL ${serial})
endfunction()
