# Debian packages through CPack (`cpack -G DEB` in the build folder):
#   libbelvora3     the shared library
#   libbelvora-dev  headers, CMake package, pkg-config file
#   belvora-tools   Start (and Trivex once it is built), template database,
#                   SQL scripts, manual pages
# Library dependencies come from dpkg-shlibdeps, so Qt is only required
# where a packaged binary links it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME belvora)
set(CPACK_PACKAGE_VENDOR "belvora developers")
set(CPACK_PACKAGE_CONTACT "belvora developers <belvora@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev tools)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libbelvora${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The ldconfig trigger Debian asks for (CPack's own postinst/postrm call
# ldconfig as well, which lintian only warns about).
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "German electronic invoices (XRechnung) - shared library
The belvora library writes XRechnung invoices (EN 16931, CII syntax) from
the rows of your own database (SQLite, or any database through ODBC) and
reads received invoices (CII, UBL, hybrid PDF) back into it.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libbelvora-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "German electronic invoices (XRechnung) - development files
The belvora library writes XRechnung invoices (EN 16931, CII syntax) from
the rows of your own database and reads received invoices back into it.
This package holds the C++ and C headers, the CMake package and the
pkg-config file.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME belvora-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION
    "German electronic invoices (XRechnung) - programs
Start creates an XRechnung invoice from your database or reads a received
invoice into it, driven by one parameter string, for office macros and
scripts. The package also holds the template database, the SQL scripts for
the tables the library works with and, when built, the test program Trivex.")

# Start links the library of libbelvora3: dpkg-shlibdeps finds it there (the
# dependency itself comes from the component dependency above).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ../runtime/${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})

# Every package carries its copyright file and changelog.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog
               @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianDocs.cmake)
set(CPACK_BELVORA_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/cmake/debian)
set(CPACK_BELVORA_CHANGELOG ${PROJECT_BINARY_DIR}/debian/changelog)
include(CPack)
