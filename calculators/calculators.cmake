# Calculator definitions, the calculator table and the calculation of one sheet (no widgets).
add_library(borvik_calculators STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Filter.cpp)
target_include_directories(borvik_calculators PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_calculators PUBLIC borvik_expression borvik_platform PRIVATE borvik_files
  borvik_numeric)

# The calculators window and its links for the main window.
add_library(borvik_calculators_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FilterWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CalculatorLinks.cpp)
target_include_directories(borvik_calculators_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_calculators_ui PUBLIC borvik_calculators borvik_applinks borvik_settings
  borvik_platform_ui Qt6::Widgets)

# The shipped definitions and their pictures lie beside the program in the build tree and in
# share/borvik when installed.
file(GLOB borvik_filter_files CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/filters/*)
set(borvik_filter_copies)
foreach(source ${borvik_filter_files})
  get_filename_component(name ${source} NAME)
  set(copy ${PROJECT_BINARY_DIR}/filters/${name})
  add_custom_command(OUTPUT ${copy}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${copy}
    DEPENDS ${source} VERBATIM)
  list(APPEND borvik_filter_copies ${copy})
endforeach()
add_custom_target(borvik_filter_files ALL DEPENDS ${borvik_filter_copies})
install(FILES ${borvik_filter_files} DESTINATION share/borvik/filters)
