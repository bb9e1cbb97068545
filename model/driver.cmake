# The driver object with its air model and its equivalent circuit; plain C++, no Qt.
add_library(borvik_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Airmodel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Driver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DriverModel.cpp)
target_include_directories(borvik_driver PUBLIC ${PROJECT_SOURCE_DIR})
# The settings record is header-only; link its target once the shell provides one.
target_link_libraries(borvik_driver PUBLIC borvik_numeric borvik_transfer
  $<TARGET_NAME_IF_EXISTS:borvik_settings>)
