borvik_test(borvik_alignments_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AlignmentsTest.cpp
  LIBS borvik_alignments)
