borvik_test(test_expression
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/prExprTest.cpp
  LIBS borvik_expression)

borvik_test(test_calculator_files
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FilterTest.cpp
  LIBS borvik_calculators)
target_compile_definitions(test_calculator_files PRIVATE
  BORVIK_SHIPPED_FILTERS="${PROJECT_SOURCE_DIR}/calculators/filters")

borvik_test(test_calculators_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FilterWindowTest.cpp
  LIBS borvik_calculators_ui Qt6::Test)
