borvik_test(test_dragutil
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DragUtil_test.cpp
  LIBS borvik_dragutil)
