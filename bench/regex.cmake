# The cleaning pipeline on our engine side by side with PCRE2 (JIT and
# interpreted) and std::regex natively, and with the VBScript.RegExp class in
# the Windows build (run it under Wine). Figures mean something only from a
# tree built without sanitizers (-DHOT_SANITIZE=OFF) or the Windows tree.
set(bench_regex_sources
  ${CMAKE_CURRENT_LIST_DIR}/regex_pipeline.cpp
  ${PROJECT_SOURCE_DIR}/collector/content_cleaning.cpp
  ${PROJECT_SOURCE_DIR}/collector/image_markers.cpp
  ${PROJECT_SOURCE_DIR}/collector/picture_address.cpp)
if(WIN32)
  add_executable(bench_regex ${bench_regex_sources})
  target_include_directories(bench_regex PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(bench_regex PRIVATE html regex core ole32 oleaut32 uuid)
  target_compile_definitions(bench_regex PRIVATE HOT_BENCH_VBSCRIPT=1)
else()
  find_path(PCRE2_INCLUDE_DIR pcre2.h)
  find_library(PCRE2_LIBRARY pcre2-8)
  if(PCRE2_INCLUDE_DIR AND PCRE2_LIBRARY)
    add_executable(bench_regex ${bench_regex_sources})
    target_include_directories(bench_regex PRIVATE ${PROJECT_SOURCE_DIR} ${PCRE2_INCLUDE_DIR})
    target_link_libraries(bench_regex PRIVATE html regex core ${PCRE2_LIBRARY} pthread)
    target_compile_definitions(bench_regex PRIVATE HOT_BENCH_PCRE2=1)
  endif()
endif()
