borvik_test(shell_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SettingsTest.cpp
  LIBS borvik_settings)
