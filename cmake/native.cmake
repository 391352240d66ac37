# Native Linux build: the portable core under the sanitizers, with coverage
# instrumentation so that the same objects serve the libFuzzer targets.
option(ZM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
# ThreadSanitizer excludes the other two: a build of its own for the code shared between threads.
option(ZM_TSAN "Build with ThreadSanitizer instead" OFF)
if(ZM_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(ZM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link)
    set(ZM_FUZZING ON)
  endif()
endif()
find_package(GTest REQUIRED)
include(GoogleTest)
