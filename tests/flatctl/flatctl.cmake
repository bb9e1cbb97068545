borvik_test(test_flatctl
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HSLUtils_test.cpp ${CMAKE_CURRENT_LIST_DIR}/FlatControls_test.cpp
           ${CMAKE_CURRENT_LIST_DIR}/FlatHint_test.cpp ${CMAKE_CURRENT_LIST_DIR}/ShownText_test.cpp
  LIBS borvik_flatctl Qt6::Test)

# A sheet of every control, to look at under a display; not a test.
add_executable(flatctl_sheet ${CMAKE_CURRENT_LIST_DIR}/FlatSheet.cpp)
target_link_libraries(flatctl_sheet PRIVATE borvik_flatctl)
