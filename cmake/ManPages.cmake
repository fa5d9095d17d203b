# The manual pages, made from the programs themselves: help2man runs the built zamp and siv
# with --help and --version, so every option the programs list is in their page, and adds
# the sections --help does not carry from docs/man/PROGRAM.h2m.in (description, exit status,
# files, environment, examples, see also), with the paths under the install prefix filled in.
# Written gzipped into build/man/, as Debian keeps them.
include(GNUInstallDirs)
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)

set(ZAMP_EXAMPLE_SHOW ${CMAKE_INSTALL_FULL_DATADIR}/zamp/examples/show)
set(ZAMP_SIV ${CMAKE_INSTALL_FULL_BINDIR}/siv)
set(ZAMP_DOC_DIR ${CMAKE_INSTALL_FULL_DOCDIR})
set(ZAMP_MAN_DIR ${CMAKE_BINARY_DIR}/man)

set(man_pages)
foreach(program zamp siv)
  if(TARGET ${program})
    set(include ${ZAMP_MAN_DIR}/${program}.h2m)
    set(page ${ZAMP_MAN_DIR}/${program}.1.gz)
    configure_file(${CMAKE_SOURCE_DIR}/docs/man/${program}.h2m.in ${include} @ONLY)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${HELP2MAN} --no-info --include ${include} --output ${ZAMP_MAN_DIR}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND ${GZIP} -9nf ${ZAMP_MAN_DIR}/${program}.1
      DEPENDS ${program} ${include}
      COMMENT "Writing the manual page ${program}.1 from ${program} --help"
      VERBATIM)
    list(APPEND man_pages ${page})
  endif()
endforeach()
add_custom_target(man-pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
