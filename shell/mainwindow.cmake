# Borvik's main window: start-up with its splash screen, the project slots and the main commands.
add_library(borvik_mainwindow STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MainRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StartF.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainForm.cpp
)
target_include_directories(borvik_mainwindow PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_mainwindow PUBLIC
  borvik_applinks borvik_settings borvik_utils borvik_database borvik_dragutil borvik_flatctl
  borvik_platform_ui Qt6::Widgets)

# The version file and the About box's texts ship beside the program: in the build tree next to the executable, and in
# share/borvik of an installed copy, where the program's folder lookup finds it.
set(BORVIK_SHIPPED_FILES
  ${CMAKE_CURRENT_LIST_DIR}/version.ini
  ${CMAKE_CURRENT_LIST_DIR}/texts/readme.txt
  ${CMAKE_CURRENT_LIST_DIR}/texts/versions.txt
  ${CMAKE_CURRENT_LIST_DIR}/texts/hof.txt)
foreach(shipped ${BORVIK_SHIPPED_FILES})
  get_filename_component(shipped_name ${shipped} NAME)
  configure_file(${shipped} ${CMAKE_BINARY_DIR}/${shipped_name} COPYONLY)
endforeach()
install(FILES ${BORVIK_SHIPPED_FILES} DESTINATION share/borvik)

# The options window and the About box.
add_library(borvik_options STATIC
  ${CMAKE_CURRENT_LIST_DIR}/OptionsRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OptionsF.cpp
  ${CMAKE_CURRENT_LIST_DIR}/About.cpp
)
target_include_directories(borvik_options PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_options PUBLIC
  borvik_applinks borvik_settings borvik_units borvik_unitwidgets borvik_joystick borvik_utils borvik_files
  borvik_platform_ui Qt6::Widgets)
target_link_libraries(borvik_mainwindow PUBLIC borvik_options)
