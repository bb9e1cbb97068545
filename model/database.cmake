# The driver database on a folder of driver files.
add_library(borvik_database STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DBHandler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DB_Text2.cpp)
target_include_directories(borvik_database PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_database PUBLIC borvik_driver borvik_files borvik_platform)
