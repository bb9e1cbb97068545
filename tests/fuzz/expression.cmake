borvik_fuzz_target(expression SOURCES ${CMAKE_CURRENT_LIST_DIR}/expression_fuzz.cpp LIBS borvik_expression)
