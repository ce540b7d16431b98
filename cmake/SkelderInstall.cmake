# What `cmake --install` puts under the prefix, in two components: "skelder" (the window,
# skelder-cli, the desktop entry, icon, manual pages and completion) and "tdsim" (the
# test server, its manual page and the demo databases), which CPack makes two packages.
include(GNUInstallDirs)

set(SKELDER_DEMO_SQL "${CMAKE_INSTALL_FULL_DATADIR}/skelder-tdsim/demo.sql")
set(SKELDER_PACKAGE_MAINTAINER "Skelder developers <skelder@example.org>"
    CACHE STRING "Maintainer of the Debian packages")
set(SKELDER_DEB_REVISION 1 CACHE STRING "Debian revision of the packages")
option(SKELDER_DEBIAN_DOCS "Install the copyright file and changelog.Debian.gz a Debian package needs" OFF)

# Manual pages: the version and paths filled in, compressed as man and Debian expect.
function(skelder_manual_page name component)
  set(page "${CMAKE_BINARY_DIR}/man/${name}.1")
  configure_file("${PROJECT_SOURCE_DIR}/man/${name}.1" "${page}" @ONLY)
  add_custom_command(OUTPUT "${page}.gz"
    COMMAND gzip -9nc "${page}" > "${page}.gz"
    DEPENDS "${page}" VERBATIM)
  add_custom_target(man_${name} ALL DEPENDS "${page}.gz")
  install(FILES "${page}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT ${component})
endfunction()

# The copyright file and the Debian changelog of one package.
function(skelder_debian_docs package component)
  if(NOT SKELDER_DEBIAN_DOCS)
    return()
  endif()
  # Honours SOURCE_DATE_EPOCH, so that a rebuild of the same source gives the same file.
  string(TIMESTAMP SKELDER_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(changelog "${CMAKE_BINARY_DIR}/debian/${package}/changelog.Debian")
  configure_file("${PROJECT_SOURCE_DIR}/dist/changelog.Debian.in" "${changelog}" @ONLY)
  add_custom_command(OUTPUT "${changelog}.gz"
    COMMAND gzip -9nc "${changelog}" > "${changelog}.gz"
    DEPENDS "${changelog}" VERBATIM)
  add_custom_target(changelog_${package} ALL DEPENDS "${changelog}.gz")
  install(FILES "${PROJECT_SOURCE_DIR}/dist/copyright" "${changelog}.gz"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/${package}" COMPONENT ${component})
endfunction()

if(TARGET tdsim)
  install(TARGETS tdsim RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tdsim)
  install(FILES "${PROJECT_SOURCE_DIR}/testdata/demo.sql"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/skelder-tdsim" COMPONENT tdsim)
  skelder_manual_page(tdsim tdsim)
  skelder_debian_docs(skelder-tdsim tdsim)
endif()

if(TARGET skelder AND TARGET skelder-cli)
  install(TARGETS skelder skelder-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}"
          COMPONENT skelder)
  install(FILES "${PROJECT_SOURCE_DIR}/dist/skelder.desktop"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" COMPONENT skelder)
  install(FILES "${PROJECT_SOURCE_DIR}/dist/skelder.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" COMPONENT skelder)
  install(FILES "${PROJECT_SOURCE_DIR}/dist/skelder-cli.bash-completion"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions"
          RENAME skelder-cli COMPONENT skelder)
  skelder_manual_page(skelder skelder)
  skelder_manual_page(skelder-cli skelder)
  skelder_debian_docs(skelder skelder)
endif()
