# The flat-style controls every window is built from.
add_library(borvik_flatctl STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HSLUtils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlatUtilitys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShownText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlatFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFlatEditUnit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFlatMemoUnit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFlatComboBoxUnit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlatChoiceButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFlatRadioButtonUnit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFlatCheckBoxUnit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TFlatHintUnit.cpp
)
target_include_directories(borvik_flatctl PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_flatctl PUBLIC Qt6::Widgets)
