# Readers and writers of the driver and project file sections.
add_library(borvik_files STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SaveToFile_Utils.cpp)
target_include_directories(borvik_files PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_files PUBLIC borvik_driver borvik_filters borvik_units borvik_platform)
