# `make install` (PREFIX honoured) and `make package` (a .deb through CPack).
include(GNUInstallDirs)

install(TARGETS zamp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET siv)
  install(TARGETS siv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} PATTERN man EXCLUDE)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The example show as the build assembled it: script, pictures, scenes and music.
install(DIRECTORY ${CMAKE_BINARY_DIR}/examples/show/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zamp/examples/show)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zamp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "zamp developers <zamp@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for real-time shows written as a Lua script")
set(CPACK_PACKAGE_DESCRIPTION
    "zamp plays shows in the demoscene tradition: one Lua script loads music, SIV 3D scenes and images and lays out a timeline of layers. It also renders shows to PNG frames and measures how fast a machine draws them. Includes the siv tool and an example show.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# The prefix the build was configured for, which the manual pages name (`make package` sets /usr).
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
# The binaries go into the package stripped; the package carries no debug information.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The dependencies are the shared libraries the binaries link, as dpkg-shlibdeps finds them,
# plus the GL driver that draws (SDL loads it at run time, so no link shows it).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri, libegl1, libegl-mesa0, fonts-dejavu-core")
include(CPack)
