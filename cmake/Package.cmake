# The Debian package, made by CPack from the system layout of this build:
#
#   cpack --config build/CPackConfig.cmake     ->  dist/orvane_<version>_amd64.deb
#
# CPack packs the files the install rules already lay out, so the package
# needs no second build and no second description of where files go. The
# binaries are stripped and their debug symbols dropped; dpkg-shlibdeps finds
# the dependencies from the libraries they link. No database is in the
# package: each user's own lives in their home folder, where no upgrade or
# purge reaches it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Orvane developers")
set(CPACK_PACKAGE_CONTACT "The Orvane developers <developers@orvane.org>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};Orvane;system;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop address book")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvane keeps addresses: a list of names, and for each address the street,\n"
    "postal code, state or province, country and phone number, with commands\n"
    "to add, edit, save and delete them. Each user of the machine keeps their\n"
    "own addresses in their home folder.\n"
    "\n"
    "Two more windows explain how the program is built: a diagram of its\n"
    "three tiers and a description document.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://orvane.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's keychain library opens libsecret only while the program runs, so
# dpkg-shlibdeps cannot see it: it is named here. The keychain itself is a
# service of the desktop session; without one the program asks for the
# password another way.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsecret-1-0")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-keyring | keepassxc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
