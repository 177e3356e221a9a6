# Helpers that every subsystem's CMakeLists.txt uses.
#
# hot_library(name SOURCES portable.cpp... [WIN32 win.cpp...] [POSIX posix.cpp...]
#             [LINK targets...])
#   A static library; WIN32 sources only in the Windows tree, POSIX sources
#   only in the native tree.
# hot_folder_library(name [LINK targets...])
#   hot_library of every .cpp in the calling folder: *_win32.cpp only in the
#   Windows tree, *_posix.cpp only in the native tree, the rest in both.
# hot_test(name SOURCES test.cpp... [LINK targets...] [TIMEOUT seconds])
#   A GoogleTest executable registered with ctest; it writes its results to
#   test-results/<name>.xml in the build tree, which ./test sums up.

function(hot_library name)
  cmake_parse_arguments(A "" "" "SOURCES;WIN32;POSIX;LINK" ${ARGN})
  set(srcs ${A_SOURCES})
  if(WIN32)
    list(APPEND srcs ${A_WIN32})
  else()
    list(APPEND srcs ${A_POSIX})
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(A_LINK)
    target_link_libraries(${name} PUBLIC ${A_LINK})
  endif()
endfunction()

function(hot_folder_library name)
  cmake_parse_arguments(A "" "" "LINK" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(portable ${all_sources})
  list(FILTER portable EXCLUDE REGEX "_(win32|posix)\\.cpp$")
  set(win ${all_sources})
  list(FILTER win INCLUDE REGEX "_win32\\.cpp$")
  set(posix ${all_sources})
  list(FILTER posix INCLUDE REGEX "_posix\\.cpp$")
  hot_library(${name} SOURCES ${portable} WIN32 ${win} POSIX ${posix} LINK ${A_LINK})
endfunction()

function(hot_test name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;LINK" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LINK} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name}
           COMMAND ${name} --gtest_output=xml:test-results/${name}.xml
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
endfunction()
