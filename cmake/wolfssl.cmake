# wolfSSL for the Windows builds: Debian's source package, built once per build folder as a
# static library with its own CMake build and installed under the build folder. A later
# configure finds the installed library with the same settings and builds nothing; a change
# of the settings below builds it afresh.
#
# What the HTTPS transport offers: TLS 1.2 alone, RSA certificates, AES-CBC with SHA-1 and
# SHA-256 over static-RSA and DHE-RSA key exchange. Everything else is switched off, so the
# library's default suite list is exactly those eight suites.
set(ZM_WOLFSSL_ROOT ${CMAKE_BINARY_DIR}/wolfssl)
set(ZM_WOLFSSL_PREFIX ${ZM_WOLFSSL_ROOT}/install)
set(ZM_WOLFSSL_OPTIONS
  -DBUILD_SHARED_LIBS=OFF
  -DWOLFSSL_TLSV12=yes -DWOLFSSL_TLS13=no -DWOLFSSL_OLD_TLS=no -DWOLFSSL_DTLS=no
  -DWOLFSSL_RSA=yes -DWOLFSSL_DH=yes -DWOLFSSL_AES=yes -DWOLFSSL_AESCBC=yes -DWOLFSSL_SHA=yes
  -DWOLFSSL_ECC=no -DWOLFSSL_CURVE25519=no -DWOLFSSL_ED25519=no -DWOLFSSL_CURVE448=no -DWOLFSSL_ED448=no
  -DWOLFSSL_AESGCM=no -DWOLFSSL_AESCCM=no -DWOLFSSL_CHACHA=no -DWOLFSSL_POLY1305=no
  -DWOLFSSL_DES3=no -DWOLFSSL_ARC4=no -DWOLFSSL_SHA384=no -DWOLFSSL_SUPPORTED_CURVES=no
  -DWOLFSSL_SYS_CA_CERTS=no -DWOLFSSL_EXAMPLES=no -DWOLFSSL_CRYPT_TESTS=no -DWOLFSSL_OLD_NAMES=yes
)
# Static-RSA key exchange is off by default in this version; it is one of the suites offered.
set(ZM_WOLFSSL_DEFINES -DWOLFSSL_STATIC_RSA)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # The big-number code's 64-bit words do not build for x86_64 mingw-w64, whose long is 32 bits.
  list(APPEND ZM_WOLFSSL_DEFINES -DSP_WORD_SIZE=32)
  # AES with the processor's AES instructions (chosen at run time, plain C where they are
  # missing). The library's assembly is written for the System V calling convention: its
  # declarations are marked so for mingw-w64, whose own convention is Microsoft's (patched
  # below), and the one assembly file needed is built here, since the library's own build would
  # add the GCM file too, which assembles for ELF only.
  list(APPEND ZM_WOLFSSL_DEFINES -DWOLFSSL_AESNI -maes -msse4.1)
  set(ZM_WOLFSSL_SYSV_ASM TRUE)
endif()
string(JOIN " " ZM_WOLFSSL_C_FLAGS ${ZM_WOLFSSL_DEFINES} -I${ZM_WOLFSSL_ROOT}/mingw-include)
set(ZM_WOLFSSL_STAMP_TEXT "${ZM_WOLFSSL_OPTIONS};${ZM_WOLFSSL_C_FLAGS};${CMAKE_TOOLCHAIN_FILE}")
set(ZM_WOLFSSL_STAMP ${ZM_WOLFSSL_PREFIX}/zm-settings.txt)
set(ZM_WOLFSSL_LIBRARY ${ZM_WOLFSSL_PREFIX}/lib/libwolfssl.a)

set(zm_wolfssl_built FALSE)
if(EXISTS ${ZM_WOLFSSL_STAMP} AND EXISTS ${ZM_WOLFSSL_LIBRARY})
  file(READ ${ZM_WOLFSSL_STAMP} zm_wolfssl_old_settings)
  if(zm_wolfssl_old_settings STREQUAL ZM_WOLFSSL_STAMP_TEXT)
    set(zm_wolfssl_built TRUE)
  endif()
endif()

function(zm_wolfssl_run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "wolfSSL: `${ARGN}` failed (${result}):\n${out}\n${err}")
  endif()
endfunction()

if(NOT zm_wolfssl_built)
  message(STATUS "wolfSSL: building Debian's source package into ${ZM_WOLFSSL_ROOT} (once)")
  file(REMOVE_RECURSE ${ZM_WOLFSSL_ROOT})
  file(MAKE_DIRECTORY ${ZM_WOLFSSL_ROOT}/source ${ZM_WOLFSSL_ROOT}/mingw-include)
  # The sources include <Wincrypt.h>; mingw-w64 spells it in lower case, and case counts here.
  file(WRITE ${ZM_WOLFSSL_ROOT}/mingw-include/Wincrypt.h "#include <wincrypt.h>\n")
  zm_wolfssl_run(apt-get source -qq wolfssl WORKING_DIRECTORY ${ZM_WOLFSSL_ROOT}/source)
  file(GLOB zm_wolfssl_source LIST_DIRECTORIES true ${ZM_WOLFSSL_ROOT}/source/wolfssl-*)
  list(FILTER zm_wolfssl_source INCLUDE REGEX "/wolfssl-[0-9.]+$")
  if(NOT zm_wolfssl_source)
    message(FATAL_ERROR "wolfSSL: `apt-get source wolfssl` left no source folder (is a deb-src entry set up?)")
  endif()
  if(ZM_WOLFSSL_SYSV_ASM)
    set(zm_aes_c ${zm_wolfssl_source}/wolfcrypt/src/aes.c)
    file(READ ${zm_aes_c} zm_aes_text)
    string(REPLACE "#define XASM_LINK(f) asm(f)\n" "#define XASM_LINK(f) asm(f) __attribute__((sysv_abi))\n"
           zm_aes_patched "${zm_aes_text}")
    if(zm_aes_patched STREQUAL zm_aes_text)
      message(FATAL_ERROR "wolfSSL: aes.c has no XASM_LINK to mark with the System V convention")
    endif()
    file(WRITE ${zm_aes_c} "${zm_aes_patched}")
    file(COPY ${zm_wolfssl_source}/wolfcrypt/src/aes_asm.S DESTINATION ${ZM_WOLFSSL_PREFIX})
  endif()
  zm_wolfssl_run(${CMAKE_COMMAND} -G Ninja -S ${zm_wolfssl_source} -B ${ZM_WOLFSSL_ROOT}/build
                 -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
                 -DCMAKE_INSTALL_PREFIX=${ZM_WOLFSSL_PREFIX} -DWOLFSSL_BUILD_OUT_OF_TREE=yes
                 "-DCMAKE_C_FLAGS=${ZM_WOLFSSL_C_FLAGS}" ${ZM_WOLFSSL_OPTIONS})
  zm_wolfssl_run(${CMAKE_COMMAND} --build ${ZM_WOLFSSL_ROOT}/build --target install -j 2)
  file(WRITE ${ZM_WOLFSSL_STAMP} "${ZM_WOLFSSL_STAMP_TEXT}")
endif()

add_library(zm_wolfssl STATIC IMPORTED GLOBAL)
set_target_properties(zm_wolfssl PROPERTIES
  IMPORTED_LOCATION ${ZM_WOLFSSL_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${ZM_WOLFSSL_PREFIX}/include
  INTERFACE_LINK_LIBRARIES "ws2_32;advapi32")
if(ZM_WOLFSSL_SYSV_ASM)
  enable_language(ASM)
  add_library(zm_wolfssl_aesni STATIC ${ZM_WOLFSSL_PREFIX}/aes_asm.S)
  target_compile_definitions(zm_wolfssl_aesni PRIVATE WOLFSSL_X86_64_BUILD)
  set_property(TARGET zm_wolfssl APPEND PROPERTY INTERFACE_LINK_LIBRARIES zm_wolfssl_aesni)
endif()
