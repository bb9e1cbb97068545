# Shared helpers for the subsystem folders.

# borvik_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable; each test case becomes a ctest test that runs headless
# against temporary folders, never the user's own files.
function(borvik_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # Golden files live in the source tree; tests find them through this definition.
  target_compile_definitions(${name} PRIVATE BORVIK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 300)
endfunction()
