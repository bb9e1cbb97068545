# The fourth- and sixth-order bandpass and the passive-radiator box join the box models here;
# with them in the library, the dispatch by box type hands out their curve functions.
target_sources(borvik_simulation PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_bandpass4.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_bandpass6a.cpp
  ${CMAKE_CURRENT_LIST_DIR}/boxmath_passiveradiator.cpp)
target_compile_definitions(borvik_simulation PRIVATE BORVIK_HAVE_BANDPASS=1)
