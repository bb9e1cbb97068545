# Vent sizing and default boxes; plain C++, no Qt.
add_library(borvik_boxmath2 STATIC
  ${CMAKE_CURRENT_LIST_DIR}/boxmath2.cpp)
target_include_directories(borvik_boxmath2 PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_boxmath2 PUBLIC borvik_driver borvik_numeric)
