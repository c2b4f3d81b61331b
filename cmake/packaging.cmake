# A Debian package of the Linux programs: `cpack -G DEB` in the build folder
# after the build. It holds what `cmake --install` puts under the prefix:
# ostrand, ostrand-cli, the icon and the desktop entry.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

set(CPACK_PACKAGE_NAME ostrand)
set(CPACK_PACKAGE_VENDOR Quenlor)
set(CPACK_PACKAGE_CONTACT "Quenlor <ostrand@quenlor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "IPv4 TCP connections with their processes and remote locations")
set(CPACK_PACKAGE_DESCRIPTION
    "Ostrand lists the host's IPv4 TCP connections: the owning process, the local and remote endpoints, the remote address's location from a QQWry.dat database in the current folder, the state and the PID. ostrand is the window; ostrand-cli prints the same rows and looks addresses up.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.quenlor.example/")
# Library dependencies (Qt 6 with its xcb platform plugin, libstdc++) as
# dpkg-shlibdeps finds them; needs dpkg-dev and file.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
