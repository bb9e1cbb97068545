borvik_test(test_projectdocument
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProjectDocument_test.cpp
  LIBS borvik_projectdocument)
borvik_test(test_projectwindow
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProjectForm_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ProjectTestSupport.cpp
  LIBS borvik_projectwindow Qt6::Test)
borvik_test(test_projectrobustness
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProjectRobustness_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ProjectTestSupport.cpp
  LIBS borvik_projectwindow Qt6::Test)
