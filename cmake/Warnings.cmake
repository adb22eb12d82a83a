# Every target of the project compiles with the same warnings. They are
# errors in the project's own builds (scripts/test.sh turns
# KESTRAVA_WERROR on); a plain `cmake` build, as a packager or a user types
# it, only reports them, so a new compiler's false positive cannot stop it.
option(KESTRAVA_WERROR "Treat compiler warnings as errors" OFF)

function(kestrava_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
    -Wnull-dereference -Wdouble-promotion -Wformat=2)
  if(KESTRAVA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
