# Read by cpack for each generator.
if(CPACK_GENERATOR STREQUAL "DEB")
  # Install with the package's own prefix and DESTDIR pointing into the
  # staging folder, so that what is written at install time (kelvane.pc, the
  # place of the udev rule) sees the prefix /usr.
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_INSTALL_PREFIX /usr)
  unset(ENV{KELVANE_RELOCATABLE_INSTALL})
else()
  # The tarball is unpacked anywhere: kelvane.pc finds the prefix from its
  # own place.
  set(ENV{KELVANE_RELOCATABLE_INSTALL} 1)
endif()
