# The Debian package, built from a Release tree with `cpack -G DEB`: the
# install rules give its files; dpkg-shlibdeps finds the libraries the
# program and its sound module link against, and the Depends below add what
# is only loaded at run time.
set(TANZO_PACKAGE_MAINTAINER "Merovane <packages@merovane.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(TANZO_HOMEPAGE "https://merovane.example/tanzo/"
    CACHE STRING "Homepage field of the Debian package (the AppStream homepage)")

# The release date is the newest release in the AppStream description; the
# changelog and the manual page carry the same.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/com.merovane.tanzo.metainfo.xml release_line
    REGEX "<release version=\"${PROJECT_VERSION}\" date=\"[0-9-]+\"" LIMIT_COUNT 1)
string(REGEX REPLACE ".*date=\"([0-9-]+)\".*" "\\1" TANZO_RELEASE_DATE "${release_line}")
if(NOT TANZO_RELEASE_DATE MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
    message(FATAL_ERROR "the metainfo has no release ${PROJECT_VERSION} with a date")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_LIST_DIR}/com.merovane.tanzo.metainfo.xml)
# The changelog's RFC 5322 date, at noon UTC of the release day.
execute_process(COMMAND date -u -R -d "${TANZO_RELEASE_DATE} 12:00"
    OUTPUT_VARIABLE TANZO_RELEASE_DATE_RFC5322 OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)

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
# The help pages under share/tanzo are what the program's help window opens,
# not documentation for the doc folder.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides RENAME tanzo
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(CPACK_PACKAGE_NAME tanzo)
set(CPACK_PACKAGE_VENDOR "${TANZO_COMPANY}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TANZO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TANZO_HOMEPAGE}")
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
# Read at run time, out of sight of dpkg-shlibdeps: a Japanese gothic font
# for the board; the program maps its face names to any of these. (The X11
# platform plugin comes with libqt6gui6, which shlibdeps finds.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-gothic | fonts-ipaexfont-gothic | fonts-noto-cjk | fonts-vlgothic")
# The toolkit's Japanese texts for its colour and file dialogs (every
# language, 13 MB; without it those dialogs are in English), the sound
# server the notices play through, and the decoders for sound files other
# than plain PCM WAV.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, pulseaudio | pipewire-pulse, \
gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
