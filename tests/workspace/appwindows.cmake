borvik_test(test_appwindows
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AppWindows_test.cpp
  LIBS borvik_mainwindow borvik_drivereditor borvik_newproject borvik_projectwindow Qt6::Test)
