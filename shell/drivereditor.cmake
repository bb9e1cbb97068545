# The driver editor, its parameter-error list and the database filter window.
add_library(borvik_drivereditor STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DBFilterF.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriverEditorFields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriverEditorLinks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriverParameterErrors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DrvEdit.cpp
)
target_include_directories(borvik_drivereditor PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_drivereditor PUBLIC
  borvik_applinks borvik_unitlabel borvik_flatctl borvik_dragutil borvik_unitwidgets borvik_database borvik_files borvik_utils
  borvik_settings borvik_platform borvik_platform_ui Qt6::Widgets)
