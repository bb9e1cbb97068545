borvik_test(siggen_ui_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SignalControlsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SGenerTest.cpp
  LIBS borvik_siggen_ui Qt6::Test)
