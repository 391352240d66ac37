# x86_64 Windows with mingw-w64's posix thread model; the build whose tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZM_MINGW_TRIPLE x86_64-w64-mingw32)
set(ZM_WIDL_ARCH --win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
