# The signal generator window.
add_library(borvik_siggen_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SGener.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignalGeneratorLinks.cpp
)
target_include_directories(borvik_siggen_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_siggen_ui PUBLIC borvik_siggen borvik_joystick borvik_settings borvik_applinks borvik_flatctl
                      borvik_platform_ui Qt6::Widgets)
