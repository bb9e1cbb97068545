# Wave output: the device thread and its sinks (ALSA, WAV file, none).
find_package(ALSA REQUIRED)
find_package(Threads REQUIRED)
add_library(borvik_waveout STATIC
  ${CMAKE_CURRENT_LIST_DIR}/WaveOut.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WavFileSink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AlsaWaveSink.cpp
)
target_include_directories(borvik_waveout PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_waveout PUBLIC Threads::Threads PRIVATE ALSA::ALSA)
