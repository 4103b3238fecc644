# The Debian package (cpack -G DEB, run by scripts/package): both programs and
# everything data/ installs, under /usr. Depends comes from the libraries the
# programs link (dpkg-shlibdeps), plus the Qt platform plugins the editor
# cannot open a window without, which libqt6gui6 only recommends.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zarquine Studios Ltd")
set(CPACK_PACKAGE_CONTACT "Zarquine Studios Ltd <quillon@zarquine.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sound bank editor for a game, with a command-line tool")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon builds the sound banks of a game. A bank is one .sad file: numbered
samples (each a complete WAV file image), a playback record per sample and
the bank's title; or, for a music bank, an MPEG layer II stream cut into
sections. Sound designers add WAV files, edit properties in a 28-column list,
audition samples, hear the whole bank as ambient sound or music, and export
C headers, CSV lists and a script table.

quillon-cli does the same work from build pipelines.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
include(CPack)
