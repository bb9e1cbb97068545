borvik_fuzz_target(calculator_definition SOURCES ${CMAKE_CURRENT_LIST_DIR}/calculator_definition_fuzz.cpp
  LIBS borvik_calculators)
