# The Debian package, built from a Release tree with `cpack -G DEB`: the
# install rules give its files; dpkg-shlibdeps finds the libraries the
# program and its sound module link against, and the Depends below add what
# is only loaded at run time.
set(TANZO_PACKAGE_MAINTAINER "Merovane <packages@merovane.example>"
    CACHE STRING "Maintainer field of the Debian package")

# Debian wants a copyright file and a changelog in the package's doc folder.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tanzo)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
find_program(TANZO_GZIP gzip REQUIRED)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    COMMAND ${TANZO_GZIP} -9n -c ${CMAKE_BINARY_DIR}/packaging/changelog
            > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog)
add_custom_target(tanzo_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${doc_dir})

set(CPACK_PACKAGE_NAME tanzo)
set(CPACK_PACKAGE_VENDOR "${TANZO_COMPANY}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TANZO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "desktop schedule board with notices
A small borderless board on the desktop shows the next three appointments
of the day in the manner of a departure board. A notice window, with an
optional sound, appears before an appointment, at its start and once it is
overdue. Appointments are edited for the seven days beginning today; a
command line lists, adds, imports and exports them (iCalendar).
.
The user interface is in Japanese.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read at run time, out of sight of dpkg-shlibdeps: the Japanese font the
# board is drawn in, and the toolkit's Japanese texts for its colour and file
# dialogs. (The X11 platform plugin comes with libqt6gui6, which shlibdeps
# finds.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
# The sound server the notices play through, and the decoders for sound
# files other than plain PCM WAV.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "pulseaudio | pipewire-pulse, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
