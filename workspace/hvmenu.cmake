# The popup menu with header and band items.
add_library(borvik_hvmenu STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HV_Menu.cpp)
target_include_directories(borvik_hvmenu PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_hvmenu PUBLIC Qt6::Widgets)
