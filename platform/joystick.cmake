# Joystick positions and buttons on the Linux joystick interface, with a fake for tests.
add_library(borvik_joystick STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Joystick.cpp
)
target_include_directories(borvik_joystick PUBLIC ${PROJECT_SOURCE_DIR})
