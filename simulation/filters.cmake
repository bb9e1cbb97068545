# Filter and equaliser stages of a project's chain; plain C++, no Qt.
add_library(borvik_filters STATIC
  ${CMAKE_CURRENT_LIST_DIR}/FilterBase.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Besselap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Lowpass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Highpass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AllPass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LinkwitzTransform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParametricEQ.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PeakHighpass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StaticGain.cpp)
target_include_directories(borvik_filters PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_filters PUBLIC borvik_transfer borvik_units)
