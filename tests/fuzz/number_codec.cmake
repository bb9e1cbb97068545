borvik_fuzz_target(number_codec SOURCES ${CMAKE_CURRENT_LIST_DIR}/number_codec_fuzz.cpp LIBS borvik_units)
