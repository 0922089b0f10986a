# Packages made by cpack from the installation: `cpack -G DEB` gives
# kelvane_<version>_<architecture>.deb, `cpack -G TGZ` a tarball of the
# installed tree (relocatable: unpack it anywhere). The tarball that is
# shipped is the TGZ of a Debian 11 build with the C++ runtime linked in
# (scripts/build-debian11.sh), which runs wherever glibc 2.17 or later is.
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "Kelvane host software developers")
set(CPACK_PACKAGE_CONTACT "Kelvane host software developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Kelvane USB bridge: I2C, SMBus and GPIO library and command-line tool")
set(CPACK_PACKAGE_DESCRIPTION
  "The Kelvane bridge is a USB HID device with an I2C/SMBus bus master, four
GP pins and non-volatile settings. This package holds the device-access
library KelvaneDLL-UM_x86.dll with its C header, pkg-config file and CMake
package, the command-line program KelvaneCLI, the i2c-tools-style program
kelvane (bus scan, register get/set/dump, I2C messages, pins, and the chip's
whole configuration as a TOML file), a virtual-chip flavour of the library
for trying programs without hardware, and a udev rule that gives the user at
the seat and the group plugdev access to the chips.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Chips attached while the package is installed get their access at once.
configure_file(${CMAKE_CURRENT_LIST_DIR}/deb/postinst ${CMAKE_CURRENT_BINARY_DIR}/deb/postinst COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/deb/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Per-generator settings, read by cpack.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake)

include(CPack)
