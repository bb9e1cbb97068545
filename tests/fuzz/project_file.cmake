borvik_fuzz_target(project_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/project_file_fuzz.cpp LIBS borvik_files)
