# Debian packages through CPack: "skelder" (the window and skelder-cli) and
# "skelder-tdsim" (the test server), their dependencies worked out by dpkg-shlibdeps from
# the shared libraries the programs link. scripts/package.sh builds them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skelder)
set(CPACK_PACKAGE_VENDOR "Skelder")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${SKELDER_PACKAGE_MAINTAINER}")
# No CPACK_PACKAGE_DESCRIPTION_SUMMARY: CPack would put it before each component's
# description, whose first line is already that package's synopsis.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL skelder tdsim)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${SKELDER_DEB_REVISION}")
set(CPACK_DEBIAN_PACKAGE_SOURCE skelder)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_SKELDER_PACKAGE_NAME skelder)
set(CPACK_DEBIAN_SKELDER_PACKAGE_SUGGESTS skelder-tdsim)
set(CPACK_COMPONENT_SKELDER_DESCRIPTION
    "scripts the objects of Sybase Adaptive Server databases
Skelder logs in to a Sybase Adaptive Server (SQL Server) through FreeTDS's
Client-Library, shows each database's users, groups, tables, views, indexes,
triggers, procedures, rules and user datatypes from its system tables, and
writes Transact-SQL scripts that re-create the chosen objects.
.
This package holds the window (skelder) and the command line tool
(skelder-cli) for scripting from cron jobs and release pipelines.")

set(CPACK_DEBIAN_TDSIM_PACKAGE_NAME skelder-tdsim)
set(CPACK_DEBIAN_TDSIM_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_TDSIM_DESCRIPTION
    "TDS 5.0 test server for trying Skelder without Adaptive Server
tdsim speaks TDS 5.0 well enough for FreeTDS's Client-Library and tools to
take it for an Adaptive Server. It keeps its databases in memory, with system
tables shaped like the server's, and listens on 127.0.0.1 only.
.
This package holds tdsim and the demo databases it can serve; it is meant for
trying Skelder, for tests and for demonstrations.")

include(CPack)
