# Transfer-function algebra of the simulation; plain C++, no Qt.
add_library(borvik_transfer STATIC
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_util.cpp)
target_include_directories(borvik_transfer PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_transfer PUBLIC borvik_numeric)
