# SPDX-License-Identifier: MIT
# What `cmake --install` lays out, and the Debian package CPack builds from
# it. The program keeps the suite layout it has always had: its folder
# (named like its data sub-folder) inside a suite folder, so that a suite
# path file beside it still wins; the launcher on the PATH is a link to it.
include(GNUInstallDirs)

install(TARGETS rukamina RUNTIME DESTINATION ${RUKAMINA_PROGRAM_DEST})
install(CODE "
  set(bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bindir}\")
  file(CREATE_LINK \"../${RUKAMINA_PROGRAM_DEST}/rukamina\" \"\${bindir}/rukamina\" SYMBOLIC)
  message(STATUS \"Installing: \${bindir}/rukamina -> ../${RUKAMINA_PROGRAM_DEST}/rukamina\")
")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/rukamina.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/rukamina.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(DIRECTORY ${DEFAULT_SOUNDS_DIR}/ DESTINATION ${RUKAMINA_SOUNDS_DEST})

# Debian keeps manual pages compressed.
set(MAN_PAGE_GZ ${CMAKE_BINARY_DIR}/rukamina.1.gz)
add_custom_command(
  OUTPUT ${MAN_PAGE_GZ}
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/rukamina.1 > ${MAN_PAGE_GZ}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/rukamina.1
  VERBATIM)
add_custom_target(man_page ALL DEPENDS ${MAN_PAGE_GZ})
install(FILES ${MAN_PAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rukamina)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Rukamina developers")
set(CPACK_PACKAGE_CONTACT "Rukamina developers <rukamina@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "timed working-memory drill for Japanese schools")
# CPack puts the summary in front as the Description line and indents each
# following line by one blank itself: the text here neither repeats the
# summary nor indents, or dpkg shows the summary twice and the lines unevenly.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Pupils sign in from the school roster, memorise a digit string, solve\n\
three arithmetic problems and type the digits back, ten times against the\n\
clock. Results are shared by the classroom PCs in one data folder. The\n\
user interface is in Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries through dpkg-shlibdeps; what is loaded at run time by name (the
# display plugins, the fonts the screens are laid out for) by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
