borvik_test(ostrel_core_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AlignmentsTest.cpp
  LIBS ostrel_core)
