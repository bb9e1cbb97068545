borvik_test(test_units
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Units_test.cpp ${CMAKE_CURRENT_LIST_DIR}/UnitHelper_test.cpp
  LIBS borvik_units)
