# Sanitizers apply to the whole tree, the test module and the drawing library
# included, so that a fault on either side of the module boundary is caught.
if(KESTRAVA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(KESTRAVA_FUZZ)
  # Coverage for libFuzzer everywhere; only the fuzz targets link its main.
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KESTRAVA_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(KESTRAVA_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Shared libraries and modules are linked with every symbol resolved, so a
# module that needs something the host does not give fails at build time.
# Not in the fuzz build: the fuzzer's coverage hooks live in the fuzz
# target's executable only.
function(kestrava_no_undefined target)
  if(NOT KESTRAVA_FUZZ)
    target_link_options(${target} PRIVATE -Wl,-z,defs)
  endif()
endfunction()
