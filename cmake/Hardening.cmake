# The hardening Debian builds its packages with, for the optimised builds
# that packages are made from: checked memory and string functions where
# the compiler knows the sizes (which needs optimisation), a stack guard,
# and every relocation resolved at load time and then made read-only. The
# sanitizer and fuzz builds bring their own checks and stay without.
if(NOT (KESTRAVA_SANITIZE OR KESTRAVA_TSAN OR KESTRAVA_FUZZ))
  add_compile_options(-fstack-protector-strong
    $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
endif()
