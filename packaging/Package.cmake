# The Debian package, built from a Release tree with `cpack -G DEB`: the
# install rules give its files; dpkg-shlibdeps finds the libraries the
# program and its sound module link against, and the Depends below add what
# is only loaded at run time.
set(TANZO_PACKAGE_MAINTAINER "Merovane <packages@merovane.example>"
    CACHE STRING "Maintainer field of the Debian package")

# Debian wants a copyright file and a changelog in the package's doc folder,
# and a manual page for each program; the last two compressed as it expects.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tanzo)
set(package_build_dir ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${package_build_dir}/changelog @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/tanzo.1 ${package_build_dir}/tanzo.1 @ONLY)
find_program(TANZO_GZIP gzip REQUIRED)
set(gz_outputs)
foreach(name changelog tanzo.1)
    add_custom_command(
        OUTPUT ${package_build_dir}/${name}.gz
        COMMAND ${TANZO_GZIP} -9n -c ${package_build_dir}/${name} > ${package_build_dir}/${name}.gz
        DEPENDS ${package_build_dir}/${name})
    list(APPEND gz_outputs ${package_build_dir}/${name}.gz)
endforeach()
add_custom_target(tanzo_package_docs ALL DEPENDS ${gz_outputs})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${package_build_dir}/changelog.gz
    DESTINATION ${doc_dir})
install(FILES ${package_build_dir}/tanzo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

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
