# Numeric helpers and program-wide name tables; plain C++, no Qt.
add_library(borvik_numeric STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HV_Math.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BV_Const.cpp)
target_include_directories(borvik_numeric PUBLIC ${PROJECT_SOURCE_DIR})
