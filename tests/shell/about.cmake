borvik_test(test_about
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AboutTest.cpp
  LIBS borvik_options borvik_files Qt6::Test)
