# Run by CPack once the packages are made (CPACK_POST_BUILD_SCRIPTS).
#
# CPack gives every package with a shared library one level below /usr/lib
# a postinst and a postrm that call ldconfig. libvgdi.so lies in the
# package's private folder /usr/lib/kestrava, which the dynamic linker's
# cache never lists: the program finds it through $ORIGIN. So the calls do
# nothing but slow down installing, and Debian asks packages not to make
# them. This takes the two scripts out of the control archive, after
# checking that they hold nothing but the ldconfig call.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  get_filename_component(name ${deb} NAME)
  set(work ${CPACK_TOPLEVEL_DIRECTORY}/without-ldconfig/${name})
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work}/control)
  execute_process(COMMAND ar x ${deb} control.tar.gz WORKING_DIRECTORY ${work} RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND tar -xzf ../control.tar.gz WORKING_DIRECTORY ${work}/control RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "packaging: cannot read the control archive of ${deb}")
  endif()
  set(changed FALSE)
  foreach(script postinst postrm)
    if(NOT EXISTS ${work}/control/${script})
      continue()
    endif()
    file(READ ${work}/control/${script} text)
    string(REGEX REPLACE "#![^\n]*\n|set -e\n|if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then\n|\tldconfig\n|fi\n|\n" "" rest "${text}")
    if(NOT rest STREQUAL "")
      message(FATAL_ERROR "packaging: ${script} of ${deb} does more than call ldconfig:\n${text}")
    endif()
    file(REMOVE ${work}/control/${script})
    set(changed TRUE)
  endforeach()
  if(NOT changed)
    continue()
  endif()
  # The same archive again, owned by root as dpkg-deb makes it; ar replaces
  # the member in its place, after debian-binary as dpkg requires.
  execute_process(
    COMMAND tar --sort=name --owner=0 --group=0 --numeric-owner -cf ../control.tar .
    WORKING_DIRECTORY ${work}/control RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND gzip -9nf control.tar WORKING_DIRECTORY ${work} RESULT_VARIABLE failed)
  endif()
  if(NOT failed)
    execute_process(COMMAND ar r ${deb} control.tar.gz WORKING_DIRECTORY ${work} RESULT_VARIABLE failed)
  endif()
  if(failed)
    message(FATAL_ERROR "packaging: cannot write the control archive of ${deb}")
  endif()
  message(STATUS "packaging: ${name}: the ldconfig calls taken out")
endforeach()
