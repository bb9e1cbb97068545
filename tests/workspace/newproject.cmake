borvik_test(test_newproject
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/NewProjectRules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/NewProjectWizard_test.cpp
  LIBS borvik_newproject Qt6::Test)
