# The HTTP clients side by side with curl (Windows tree; run bench/http_clients.sh).
if(WIN32)
  add_executable(bench_http_clients ${CMAKE_CURRENT_LIST_DIR}/http_clients.cpp
                 ${PROJECT_SOURCE_DIR}/tests/http/wire/test_server_win32.cpp)
  target_link_libraries(bench_http_clients PRIVATE http ws2_32)
  target_include_directories(bench_http_clients PRIVATE ${PROJECT_SOURCE_DIR})
endif()
