borvik_test(test_boxmath2 SOURCES ${CMAKE_CURRENT_LIST_DIR}/boxmath2_test.cpp LIBS borvik_boxmath2)
