borvik_test(test_database SOURCES ${CMAKE_CURRENT_LIST_DIR}/DB_Text2Test.cpp LIBS borvik_database)
