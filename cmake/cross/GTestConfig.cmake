# GoogleTest for the cross build: Debian ships it for the host only, so it is
# built from its sources (package googletest) as part of the build.
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
foreach(library gtest gtest_main gmock gmock_main)
  if(TARGET ${library} AND NOT TARGET GTest::${library})
    add_library(GTest::${library} ALIAS ${library})
  endif()
endforeach()
set(GTest_FOUND TRUE)
