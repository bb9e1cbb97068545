# The driver object with its air model and its equivalent circuit; plain C++, no Qt of its own.
# Clearing a driver reads the default air from the program's settings record.
add_library(borvik_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Airmodel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriverModel.cpp)
target_include_directories(borvik_driver PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_driver PUBLIC borvik_numeric borvik_transfer borvik_settings)
