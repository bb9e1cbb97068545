borvik_test(test_drivereditor
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DriverEditor_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/DatabaseFilter_test.cpp
  LIBS borvik_drivereditor Qt6::Test)
