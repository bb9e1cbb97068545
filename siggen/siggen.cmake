# The signal generator's sound engine: synthesis, the device and its error texts. No widgets.
add_library(borvik_siggen STATIC
  ${CMAKE_CURRENT_LIST_DIR}/WaveDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mmErrMsg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SignalControls.cpp
)
target_include_directories(borvik_siggen PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_siggen PUBLIC borvik_waveout borvik_platform borvik_numeric borvik_units)
