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
  # NO_PRETTY_VALUES: a parameterised test is named by its case name (or index), never by a dump
  # of its parameter's bytes, which holds pointers and changes from run to run.
  gtest_discover_tests(${name}
    NO_PRETTY_VALUES
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               TIMEOUT 300)
endfunction()

# borvik_fuzz_target(NAME SOURCES a_fuzz.cpp LIBS lib1 lib2)
# A libFuzzer target: SOURCES define LLVMFuzzerTestOneInput; its seed corpus lies in
# tests/fuzz/corpus/NAME. With BORVIK_FUZZ (a clang build, see scripts/fuzz.sh) it becomes the
# fuzzer NAME_fuzz; in every other build the same code runs once over the corpus as a test, so
# the target keeps compiling and its seeds keep passing.
function(borvik_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(BORVIK_FUZZ)
    add_executable(${name}_fuzz ${ARG_SOURCES})
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
    add_dependencies(borvik_fuzzers ${name}_fuzz)
  else()
    add_executable(${name}_fuzz ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/CorpusRunner.cpp)
    add_test(NAME fuzz_corpus_${name} COMMAND ${name}_fuzz ${corpus})
    set_tests_properties(fuzz_corpus_${name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endif()
  target_link_libraries(${name}_fuzz PRIVATE ${ARG_LIBS})
  target_include_directories(${name}_fuzz PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
