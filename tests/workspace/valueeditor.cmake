borvik_test(test_valueeditor
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ValueChanger_test.cpp
  LIBS borvik_valueeditor Qt6::Test)
