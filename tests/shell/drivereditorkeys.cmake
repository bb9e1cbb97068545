# The driver editor inside the main window: the keys both of them answer.
borvik_test(test_drivereditor_keys
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DriverEditorKeysTest.cpp
  LIBS borvik_mainwindow borvik_drivereditor Qt6::Test)
