borvik_test(borvik_driver_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/AirmodelTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/DriverTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/DriverModelTest.cpp
  LIBS borvik_driver)
