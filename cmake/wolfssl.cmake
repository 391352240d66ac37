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
  # AES with the processor's AES instructions and SHA-256 with its AVX code (each chosen at run
  # time, plain C where the instructions are missing): SHA-256 is the record MAC of every suite
  # offered, and in C it cost the HTTPS transport most of its speed. The library's assembly is
  # written for the System V calling convention, and mingw-w64's own is Microsoft's. AES's
  # declarations are marked System V (patched below). SHA-256 calls its code through pointers
  # that it also points at its C fallback, so its assembly is renamed instead and entered
  # through wolfssl_sha256_sysv.c, whose functions have the library's names and convention.
  # The two assembly files are built here without their ELF-only symbol directives; the
  # library's own build would add the GCM file too.
  list(APPEND ZM_WOLFSSL_DEFINES -DWOLFSSL_AESNI -maes -msse4.1)
  set(ZM_WOLFSSL_SYSV_ASM TRUE)
endif()
string(JOIN " " ZM_WOLFSSL_C_FLAGS ${ZM_WOLFSSL_DEFINES} -I${ZM_WOLFSSL_ROOT}/mingw-include)
# The last item names the source patches below: changing them builds the library afresh.
set(ZM_WOLFSSL_STAMP_TEXT "${ZM_WOLFSSL_OPTIONS};${ZM_WOLFSSL_C_FLAGS};${CMAKE_TOOLCHAIN_FILE};sysv-aes-sha256-avx")
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

# Replaces every `from` in the source file by `to`; a source without it stops the build, since
# the library would then be built without the change.
function(zm_wolfssl_patch file from to)
  file(READ ${file} text)
  string(REPLACE "${from}" "${to}" patched "${text}")
  if(patched STREQUAL text)
    message(FATAL_ERROR "wolfSSL: ${file} has no `${from}` to patch")
  endif()
  file(WRITE ${file} "${patched}")
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
    zm_wolfssl_patch(${zm_wolfssl_source}/wolfcrypt/src/aes.c
      "#define XASM_LINK(f) asm(f)\n" "#define XASM_LINK(f) asm(f) __attribute__((sysv_abi))\n")
    # SHA-256's AVX code is compiled in only with this switch, which no other file should see.
    zm_wolfssl_patch(${zm_wolfssl_source}/wolfcrypt/src/sha256.c
      "#ifdef HAVE_CONFIG_H" "#define USE_INTEL_SPEEDUP\n#ifdef HAVE_CONFIG_H")
    foreach(asm aes_asm sha256_asm)
      file(READ ${zm_wolfssl_source}/wolfcrypt/src/${asm}.S zm_asm_text)
      string(REGEX REPLACE "\n[ \t]*\\.(type|size)[ \t][^\n]*" "" zm_asm_text "${zm_asm_text}")
      if(asm STREQUAL "sha256_asm")
        string(REGEX REPLACE "([^A-Za-z0-9_])Transform_Sha256_" "\\1zm_sysv_Transform_Sha256_" zm_asm_text
               "${zm_asm_text}")
      endif()
      file(WRITE ${ZM_WOLFSSL_PREFIX}/${asm}.S "${zm_asm_text}")
    endforeach()
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
  add_library(zm_wolfssl_asm STATIC ${ZM_WOLFSSL_PREFIX}/aes_asm.S ${ZM_WOLFSSL_PREFIX}/sha256_asm.S
              ${CMAKE_CURRENT_LIST_DIR}/wolfssl_sha256_sysv.c)
  target_compile_definitions(zm_wolfssl_asm PRIVATE WOLFSSL_X86_64_BUILD)
  set_property(TARGET zm_wolfssl APPEND PROPERTY INTERFACE_LINK_LIBRARIES zm_wolfssl_asm)
endif()
