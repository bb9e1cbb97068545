borvik_test(test_numeric SOURCES ${CMAKE_CURRENT_LIST_DIR}/HV_Math_test.cpp LIBS borvik_numeric)
