borvik_test(test_savetofile
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SaveToFile_Utils_test.cpp
  LIBS borvik_files borvik_boxmath2)
# The golden files, also when the test runs without the test-data environment.
target_compile_definitions(test_savetofile PRIVATE BORVIK_GOLDEN_FILES="${PROJECT_SOURCE_DIR}/tests/data/files")
