borvik_test(test_mainwindow
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainRulesTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MainFormTest.cpp
  LIBS borvik_mainwindow borvik_files Qt6::Test)

# The main window with the real project and plot windows, when the tree holds them.
if(TARGET borvik_projectwindow AND TARGET borvik_plotwindow)
  borvik_test(test_mainwindow_windows
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainFormWindowsTest.cpp
    LIBS borvik_mainwindow borvik_projectwindow borvik_plotwindow Qt6::Test)
endif()
