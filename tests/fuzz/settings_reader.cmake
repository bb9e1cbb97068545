borvik_fuzz_target(settings_reader SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_reader_fuzz.cpp
  LIBS borvik_settings borvik_platform Qt6::Core)
