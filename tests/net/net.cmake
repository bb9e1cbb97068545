borvik_test(test_net_socket
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WSockBufTest.cpp ${CMAKE_CURRENT_LIST_DIR}/WinsockApiTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/WSocketTest.cpp ${CMAKE_CURRENT_LIST_DIR}/WSocketModesTest.cpp
  LIBS borvik_net)
borvik_test(test_net_http
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HttpProtTest.cpp
  LIBS borvik_net)
target_compile_definitions(test_net_http PRIVATE BORVIK_NET_TEST_DIR="${CMAKE_CURRENT_LIST_DIR}")
borvik_test(test_net_updatecheck
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CheckUpdatesTest.cpp
  LIBS borvik_updatecheck)
target_compile_definitions(test_net_updatecheck PRIVATE BORVIK_NET_TEST_DIR="${CMAKE_CURRENT_LIST_DIR}")
