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
  borvik_plotengine borvik_applinks borvik_platform_ui borvik_valueeditor borvik_hvmenu borvik_filtereditor borvik_flatctl Qt6::Widgets)

# The window's pictures are drawn by a small program at build time and compiled in as resources.
add_executable(projectart ${CMAKE_CURRENT_LIST_DIR}/artwork/projectart.cpp)
target_link_libraries(projectart PRIVATE Qt6::Gui)
set(BORVIK_PROJECTART_DIR ${CMAKE_CURRENT_BINARY_DIR}/projectpictures)
set(BORVIK_PROJECTART_CPP ${BORVIK_PROJECTART_DIR}/qrc_projectpictures.cpp)
add_custom_command(OUTPUT ${BORVIK_PROJECTART_CPP}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:projectart> ${BORVIK_PROJECTART_DIR}
  COMMAND Qt6::rcc --name projectpictures -o ${BORVIK_PROJECTART_CPP} ${BORVIK_PROJECTART_DIR}/projectpictures.qrc
  DEPENDS projectart
  COMMENT "Drawing the project window's pictures")
set_source_files_properties(${BORVIK_PROJECTART_CPP} PROPERTIES GENERATED TRUE SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
target_sources(borvik_projectwindow PRIVATE ${BORVIK_PROJECTART_CPP})

add_executable(projectshow ${CMAKE_CURRENT_LIST_DIR}/projectshow.cpp)
target_link_libraries(projectshow PRIVATE borvik_projectwindow)
