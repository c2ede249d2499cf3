# A Debian package of the editor and holtool: `cpack -G DEB` in the build tree.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirevo-holidays)
set(CPACK_PACKAGE_VENDOR "The Mirevo holiday tools team")
set(CPACK_PACKAGE_CONTACT "The Mirevo holiday tools team <holidays@mirevo.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the holiday-definition files of the Mirevo calendar")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens, edits and saves .hol holiday-definition files and shows the date every rule\n gives in the years 2005 to 2015. Includes holtool for scripts and version control.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window icon is an SVG, drawn by the Qt SVG plugins that no library links to.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-liberation2")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
