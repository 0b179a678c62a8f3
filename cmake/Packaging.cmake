# What `cmake --install` puts beside the programs (their own rules sit with their targets), and
# the Debian package that CPack builds from it: `cpack -G DEB` in the build folder.
include(GNUInstallDirs)

set(QUILM_DIST ${PROJECT_SOURCE_DIR}/dist)

# The manual's pictures are the README's, made by scripts/screenshots.sh.
file(GLOB manual_pictures ${PROJECT_SOURCE_DIR}/docs/screenshot-*.png)
install(FILES ${manual_pictures} DESTINATION ${CMAKE_INSTALL_DATADIR}/quilm/manual/images)

foreach(size 48x48 256x256)
    install(FILES ${QUILM_DIST}/icons/${size}/quilm.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps)
endforeach()
install(FILES ${QUILM_DIST}/quilm.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    RENAME org.ivolde.Quilm.metainfo.xml)

# Manual pages and the package's changelog, compressed as Debian keeps them.
find_program(QUILM_GZIP gzip REQUIRED)
set(man_pages quilm.1 quilm-cli.1 quilm-cli-full.1)
set(compressed)
foreach(page ${man_pages})
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
        COMMAND ${QUILM_GZIP} -9nc ${QUILM_DIST}/man/${page} > ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz
        DEPENDS ${QUILM_DIST}/man/${page} VERBATIM)
    list(APPEND compressed ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
endforeach()
configure_file(${QUILM_DIST}/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    COMMAND ${QUILM_GZIP} -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog VERBATIM)
add_custom_target(quilm_dist_files ALL DEPENDS ${compressed} ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUILM_DIST}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quilm)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quilm)

set(CPACK_PACKAGE_NAME quilm)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quilm developers")
set(CPACK_PACKAGE_CONTACT "Quilm developers <quilm@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "karaoke authoring: time lyrics to music, export CD+G")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quilm makes karaoke tracks. Bring music (WAV, MP3 or WMA) and the words of a
song, typed in or imported from a text, LRC or MIDI karaoke file, time every
word by tapping a key while the music plays, nudge the timings, style the
result (fonts, colours, colour sweep, duet colours, title and credits pages,
pictures, transitions) and export a CD+G track: one BIN file of raw CD
sectors, or MP3+G / WMA+G files, optionally zipped.

The package holds the desktop program, quilm, and the command-line tool on
the same engine, quilm-cli.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link come from dpkg-shlibdeps; these are loaded at run
# time: LAME for MP3 export, Qt's plugins for pictures (SVG icons, TIFF pictures), sound output
# and the X11 window, and the font of new projects.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libmp3lame0, libqt6svg6, qt6-image-formats-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, xdg-utils")
set(CPACK_GENERATOR DEB)
include(CPack)
