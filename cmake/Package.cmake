# The Debian package: everything `cmake --install` puts in place, under /usr, with the
# udev rules reloaded and the mouse's nodes triggered on installation.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zel-gmouse)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "ZEL GMouse developers <gmouse@zel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration program for the ZEL gaming mouse")
# The synopsis comes from the summary; cpack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Gives each button of the ZEL gaming mouse a function in each of four
profiles, sets the DPI stages, the lighting and the rapid-fire interval,
keeps a library of macros and writes the configuration into the mouse.

The package holds the program with its tray icon, the command-line tool
zel-gmousectl for scripts, the shipped settings and macros, and the udev
rule that lets the logged-in user open the mouse.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries from the binaries; Qt's platform and picture plugins are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/data/package/postinst ${PROJECT_SOURCE_DIR}/data/package/postrm
    ${PROJECT_SOURCE_DIR}/data/package/conffiles)
include(CPack)
