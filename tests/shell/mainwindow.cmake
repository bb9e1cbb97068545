borvik_test(test_mainwindow
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainRulesTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MainFormTest.cpp
  LIBS borvik_mainwindow borvik_files Qt6::Test)
