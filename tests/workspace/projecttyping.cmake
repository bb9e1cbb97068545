borvik_test(test_projecttyping
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProjectTyping_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ProjectTestSupport.cpp
  LIBS borvik_projectwindow Qt6::Test)
