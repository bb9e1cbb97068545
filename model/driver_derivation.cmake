# Derivation of missing driver parameters and the consistency relations; part of the driver object.
target_sources(borvik_driver PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Derivation.cpp)
