# The Debian package: `cpack -G DEB` in a build folder configured with
# -DCMAKE_INSTALL_PREFIX=/usr (scripts/package.sh does all of it).
set(BRANNOC_PACKAGE_MAINTAINER "Brannoc-512 editor maintainers <maintainers@brannoc512.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brannoc512)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fixture library editor for the Brannoc-512 DMX lighting console")
# The long description below the summary; CPack indents it for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Describes the moving fixtures a Brannoc-512 console drives, channel by
channel: names from a shared vocabulary, channel types, 16-bit pairs, named
DMX ranges and ten palettes of presets, saved as the console's .tff files.
Also edits the channel name vocabulary and simple LED fixtures.

Includes tfftool, which shows, checks and converts fixture files from the
command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BRANNOC_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries (Qt, the C++ runtime, any library linked later) are found
# by dpkg-shlibdeps; what the program needs beyond them is named here: the face
# the windows are laid out for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qlcplus-data")
# qlcplus-data (7 MB, data only) gives an installed editor 1,358 fixture
# definitions to find in "Fixture Library..." and to convert with tfftool.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
