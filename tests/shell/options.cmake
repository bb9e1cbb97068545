borvik_test(test_options
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/OptionsTest.cpp
  LIBS borvik_options borvik_files Qt6::Test)
