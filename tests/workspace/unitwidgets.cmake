borvik_test(test_unitwidgets
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UnitWidgets_test.cpp
  LIBS borvik_unitwidgets Qt6::Test)
