# i686 Windows with mingw-w64's posix thread model; the shipped 32-bit DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZM_MINGW_TRIPLE i686-w64-mingw32)
set(ZM_WIDL_ARCH --win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
