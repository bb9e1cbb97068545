borvik_test(test_filters SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FilterBase_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FilterDesigns_test.cpp
  LIBS borvik_filters)
