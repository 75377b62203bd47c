# The Debian package, made from the normal build with "cpack -G DEB" in its folder:
# qortolvane_VERSION_ARCH.deb, installing under /usr, its library dependencies found by
# dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qortolvane)
set(CPACK_PACKAGE_VENDOR Veltrane)
set(CPACK_PACKAGE_CONTACT "Veltrane <packages@veltrane.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.veltrane.com/qortolvane/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SVG plugins at run time, so no library names them: the icons and buttons need them.
# The maintainer scripts keep the timers' links with deb-systemd-helper, whose --user needs 1.58.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, init-system-helpers (>= 1.58)")
# The Help menu opens the manual in the desktop's browser, and mail goes through xdg-email.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/maintainer/postinst
    ${CMAKE_CURRENT_LIST_DIR}/maintainer/prerm ${CMAKE_CURRENT_LIST_DIR}/maintainer/postrm)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "find, play, annotate and archive recorded telephone calls")
# CPack puts the summary first and indents the rest itself; an empty line starts a paragraph.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Qor Tolvane lists the telephone calls a call recorder keeps in folders, with
who called, when and for how long, and plays them with a waveform. Calls can
be marked, commented on, bookmarked, exported and e-mailed as WAV files,
decrypted with a passphrase and archived into ZIP files, ISO images or
folders, by hand or on a schedule.

The command-line companion qortolvane-cli does the same in scripts and timers.")
include(CPack)
