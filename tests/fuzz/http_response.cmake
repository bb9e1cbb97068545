borvik_fuzz_target(http_response SOURCES ${CMAKE_CURRENT_LIST_DIR}/http_response_fuzz.cpp LIBS borvik_net)
