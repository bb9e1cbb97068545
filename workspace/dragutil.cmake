add_library(borvik_dragutil STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DragUtil.cpp)
target_include_directories(borvik_dragutil PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_dragutil PUBLIC borvik_driver Qt6::Core)
