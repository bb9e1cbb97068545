# The network client: send buffer, socket library binding, event-driven sockets and HTTP. QtCore
# only (event loop and socket notifier).
add_library(borvik_net STATIC
  ${CMAKE_CURRENT_LIST_DIR}/WSockBuf.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WinsockApi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WSocket.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WSocketModes.cpp
)
target_include_directories(borvik_net PUBLIC ${PROJECT_SOURCE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(borvik_net PUBLIC Qt6::Core Threads::Threads)
target_sources(borvik_net PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HttpReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpProt.cpp
)

# The update-check window and its link into the main window.
add_library(borvik_updatecheck STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CheckUpdates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdateCheckLinks.cpp
)
target_include_directories(borvik_updatecheck PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(borvik_updatecheck PUBLIC borvik_net borvik_utils borvik_platform borvik_applinks Qt6::Widgets)
