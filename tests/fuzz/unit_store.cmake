borvik_fuzz_target(unit_store SOURCES ${CMAKE_CURRENT_LIST_DIR}/unit_store_fuzz.cpp LIBS borvik_units)
