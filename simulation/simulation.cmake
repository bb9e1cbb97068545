# The box models: their calling protocol, the closed and the vented box; plain C++, no Qt.
# The bandpass and passive-radiator models join this library from their own fragment.
add_library(borvik_simulation STATIC
  ${CMAKE_CURRENT_LIST_DIR}/boxmath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_closed.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_bassreflex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_bandpass4.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_bandpass6a.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_passiveradiator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hv_cubic_roots.cpp)
target_include_directories(borvik_simulation PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_simulation PUBLIC borvik_driver borvik_transfer borvik_numeric)
