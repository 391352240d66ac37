# Windows (mingw-w64) build settings shared by the control, the peers and the tests.
# WIN32_LEAN_AND_MEAN keeps windows.h from bringing the old winsock.h, so winsock2.h may come
# in any order.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX WIN32_LEAN_AND_MEAN)

# Every Windows test program runs under Wine in a prefix of this build folder.
set(ZM_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(ZM_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(ZM_RUNS_TESTS ON)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZM_WINE_RUN};--prefix;${ZM_WINEPREFIX})
else()
  set(ZM_RUNS_TESTS OFF)
endif()

# GoogleTest cross-compiled from Debian's sources.
if(ZM_RUNS_TESTS)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# The TLS library of the HTTPS transport.
include(${CMAKE_CURRENT_LIST_DIR}/wolfssl.cmake)


# Programs and DLLs side by side, so test programs find the control beside them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
