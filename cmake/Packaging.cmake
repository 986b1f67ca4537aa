# The Debian binary package (CPack's DEB generator), made by scripts/package:
#   cpack -G DEB -B build/packages --config build/CPackConfig.cmake
# The runtime dependencies are found by dpkg-shlibdeps from the installed
# programs (the Qt 6 libraries, cfitsio), so nothing of the build machine's
# own choice is named by hand.
# Installing (and packaging) takes what is built and does not build the whole
# tree with its tests first; scripts/package builds the programs and their files.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(SKARVEL_PACKAGE_MAINTAINER "The Skarvel developers <skarvel@example.org>" CACHE STRING
  "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME skarvel)
set(CPACK_PACKAGE_VENDOR "The Skarvel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "workbench for CCD astrometry of minor planets and comets")
# The extended description, in lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Skarvel loads up to four CCD images of one sky field (FITS, SBIG or ST-4),"
  "blinks them to find a moving object, pairs catalog stars with image stars,"
  "solves the plate by least squares and reports the target's position and"
  "magnitude in the Minor Planet Center's formats. An orbit toolkit searches"
  "orbit databases for known objects in a field and computes ephemerides."
  "The package holds the desktop program skarvel, the command-line program"
  "skarvel-cli, their help files and a demo night of four images of the"
  "asteroid (433) Eros.")
set(CPACK_PACKAGE_CONTACT "${SKARVEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SKARVEL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The menu entry's FITS type is known through shared-mime-info; the on-line star
# catalogs are asked over HTTPS, for which Qt loads OpenSSL at run time (so
# dpkg-shlibdeps cannot see it) and needs the system's certificates.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, libssl3, ca-certificates")
include(CPack)
