# The project window: the project document with its change rules, the window on it, and the
# driver-parameter panel it embeds (also used by the new-project wizard).
add_library(borvik_projectdocument STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ProjectDocument.cpp)
target_include_directories(borvik_projectdocument PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_projectdocument PUBLIC borvik_files borvik_boxmath2 borvik_settings borvik_driver)

add_library(borvik_projectwindow STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ProjectForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DrvParams.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProjectLinks.cpp)
target_include_directories(borvik_projectwindow PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_projectwindow PUBLIC borvik_projectdocument borvik_unitwidgets borvik_dragutil
  borvik_plotengine borvik_applinks borvik_platform_ui Qt6::Widgets)
