borvik_test(test_utils SOURCES ${CMAKE_CURRENT_LIST_DIR}/BV_UtilsTest.cpp LIBS borvik_utils)
