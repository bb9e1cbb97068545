borvik_test(test_filtereditor
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FilterEditor_test.cpp
  LIBS borvik_filtereditor Qt6::Test)
