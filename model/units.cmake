# Quantities, display units, the number codec, the unit store and the field binder.
add_library(borvik_units STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Units.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UnitHelper.cpp)
target_include_directories(borvik_units PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_units PUBLIC borvik_platform)
