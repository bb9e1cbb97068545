borvik_test(platform_joystick_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/JoystickTest.cpp
  LIBS borvik_joystick)
