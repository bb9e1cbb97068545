borvik_fuzz_target(ini_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/ini_text_fuzz.cpp LIBS borvik_platform)
