borvik_test(test_transfer SOURCES ${CMAKE_CURRENT_LIST_DIR}/boxmath_util_test.cpp LIBS borvik_transfer)
