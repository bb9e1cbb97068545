borvik_fuzz_target(driver_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/driver_file_fuzz.cpp LIBS borvik_files)
