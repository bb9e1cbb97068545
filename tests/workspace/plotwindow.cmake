borvik_test(test_plotwindow
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/plotwindow_test.cpp
  LIBS borvik_plotwindow borvik_plotrender Qt6::Test)
