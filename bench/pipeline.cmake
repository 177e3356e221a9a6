# A pass of many keywords through the article collection: own time per
# article from memory, and under Wine the pass against the loopback server.
if(TARGET collector)
  add_executable(bench_pipeline ${CMAKE_CURRENT_LIST_DIR}/pipeline_bench.cpp)
  target_link_libraries(bench_pipeline PRIVATE collector)
  target_include_directories(bench_pipeline PRIVATE ${PROJECT_SOURCE_DIR})
  if(WIN32)
    target_link_libraries(bench_pipeline PRIVATE psapi)
  endif()
endif()
