# Install rules and the Debian package (CPack DEB) of an installed Quoran:
# the programs, desktop entry, icon, AppStream metadata, manual pages and the
# Debian policy files. Included from the top-level CMakeLists.txt; refers to
# the programs only by their target names. `bash scripts/package.sh` builds
# the package.

include(GNUInstallDirs)

# The one application ID: desktop file, icon and AppStream component.
set(QUORAN_APP_ID io.github.quoran.Quoran)
# Date of the release of PROJECT_VERSION: change it together with the version.
set(QUORAN_RELEASE_DATE 2026-12-07)
# Debian revision of the package: 1 for a new version, one more for a package
# of the same version whose packaging changed. Package and changelog both carry it.
set(QUORAN_DEBIAN_REVISION 1)
set(QUORAN_PACKAGE_MAINTAINER "The Quoran developers <quoran@example.org>"
    CACHE STRING "Maintainer field of the Debian package and its changelog")

set(_quoran_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_quoran_generated ${PROJECT_BINARY_DIR}/packaging)
# The package's documentation folder has the package's (lower-case) name.
set(_quoran_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quoran)

find_program(QUORAN_GZIP gzip REQUIRED)
find_program(QUORAN_DATE date REQUIRED)

execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${QUORAN_DATE} -u -R -d "${QUORAN_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE QUORAN_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

# Fills in version and date, then compresses reproducibly (gzip -9n: no name,
# no time stamp). Done at configure time; editing the source configures anew.
function(_quoran_gzip_configured source output)
    get_filename_component(_name ${output} NAME_WLE)
    configure_file(${source} ${_quoran_generated}/${_name} @ONLY)
    execute_process(COMMAND ${QUORAN_GZIP} -9n -c
                    INPUT_FILE ${_quoran_generated}/${_name}
                    OUTPUT_FILE ${output}
                    COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# Programs: bin/quoran, bin/quoran-read (once it exists), bin/quoran-sim.
# Deferred to the end of the top-level directory, so every target exists by
# then wherever it is defined.
function(_quoran_install_programs)
    foreach(_program quoran quoran-read quoran-sim)
        if(TARGET ${_program})
            install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _quoran_install_programs)

# Desktop entry, icon, AppStream metadata.
install(FILES ${_quoran_packaging}/${QUORAN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${_quoran_packaging}/${QUORAN_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
configure_file(${_quoran_packaging}/${QUORAN_APP_ID}.metainfo.xml
               ${_quoran_generated}/${QUORAN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_quoran_generated}/${QUORAN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

# Manual pages, compressed. quoran-read.1 is installed even before the
# program exists.
foreach(_page quoran.1 quoran-read.1 quoran-sim.1)
    _quoran_gzip_configured(${_quoran_packaging}/man/${_page}.in ${_quoran_generated}/${_page}.gz)
    install(FILES ${_quoran_generated}/${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The schema of the central database, for administrators who apply it with psql.
install(FILES ${PROJECT_SOURCE_DIR}/sql/central-v1.sql DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/quoran/sql)

# Debian policy files in share/doc/quoran.
_quoran_gzip_configured(${_quoran_packaging}/debian/changelog.in ${_quoran_generated}/changelog.Debian.gz)
install(FILES ${_quoran_generated}/changelog.Debian.gz ${_quoran_packaging}/debian/copyright
        DESTINATION ${_quoran_docdir})
install(FILES ${_quoran_packaging}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME quoran)

# The Debian package: dist/quoran_<version>-<revision>_<arch>.deb through scripts/package.sh.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quoran)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quoran developers")
set(CPACK_PACKAGE_CONTACT "${QUORAN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read and record rotor-position measurements on a test bench")
# The summary above is the first line of the description.
set(CPACK_PACKAGE_DESCRIPTION [=[Quoran reads the last measurement of a rotor-position measuring instrument
in its data-hold mode over a serial line (9600 baud, 8N1), checks start
byte, end byte and checksum of the frame and shows pole count, speed,
voltage constant, voltage, electrical and mechanical angle and the number
of encoder teeth. The operator adds machine type, machine number and an
inspector's mark and saves the record as one line of a delimited text file
(Windows-1252) that a spreadsheet opens. The user interface is German.

The package holds the window program quoran, the headless reader
quoran-read for scripted test sequences, and the instrument simulator
quoran-sim, which lets the program be tried without an instrument.
Serial ports need membership in the group dialout.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_NAME quoran)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUORAN_DEBIAN_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORAN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from the binaries; the German Qt texts, the
# Arial-compatible fonts and the SQLite driver plugin of the results store
# are linked by none, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation, libqt6sql6-sqlite")
# Debian's GNOME session is Wayland; without the plugin Qt falls back to XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
