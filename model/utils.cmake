# Version file, the desktop's opener and file names from driver data; QtCore only.
add_library(borvik_utils STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BV_Utils.cpp)
target_include_directories(borvik_utils PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_utils PUBLIC borvik_platform Qt6::Core)
