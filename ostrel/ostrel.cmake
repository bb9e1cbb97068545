# Ostrel, the vented-box designer: its own program on its own libraries, sharing nothing with Borvik.

# The calculation, free of Qt.
add_library(ostrel_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/OstrelAlignments.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VentedBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoxDimensions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
)
target_include_directories(ostrel_core PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(ostrel_core PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
