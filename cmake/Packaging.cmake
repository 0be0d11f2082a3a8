# What a lab installs: the three programs under /usr/bin with their desktop
# entry, icons, AppStream metadata, manual pages, bash completion and
# documents, and the Debian package `make package` builds from this tree.
# CPack strips the installed copies of the binaries, so the package comes
# from the ordinary RelWithDebInfo build without a second compile.
if(KORVA_CORE_ONLY)
  return()
endif()

include(GNUInstallDirs)
# The reserved .invalid domain marks the address as one still to be given.
set(KORVA_PACKAGE_MAINTAINER "Korva <korva-tdcr@korva.invalid>" CACHE STRING
  "Maintainer of the Debian package: \"Name <address>\"")
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${PROJECT_BINARY_DIR}/packaging)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/korva-tdcr)

install(TARGETS korva-tdcr korva-tdcr-cli veltra-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging}/korva-tdcr.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/korva-tdcr.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The nuclide data the analysis reads at run time (../share/korva-tdcr/nuclides from the programs).
file(GLOB nuclide_files ${PROJECT_SOURCE_DIR}/data/nuclides/*.nuclide)
install(FILES ${nuclide_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/korva-tdcr/nuclides)
install(FILES ${packaging}/completion/korva-tdcr-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The icon is drawn once, as SVG; the theme's bitmap sizes are rendered from it.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon ${packaging}/icons/korva-tdcr.svg)
set(generated)
install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${staged}/icons/${size}x${size}/korva-tdcr.png)
  file(MAKE_DIRECTORY ${staged}/icons/${size}x${size})
  add_custom_command(OUTPUT ${png}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon}
    DEPENDS ${icon} VERBATIM)
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  list(APPEND generated ${png})
endforeach()

# Debian keeps manual pages and the changelog compressed, without a time
# stamp in the gzip header, so equal inputs give an equal package.
function(korva_gzip source target)
  add_custom_command(OUTPUT ${target}
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${source} ${target}
    DEPENDS ${source} VERBATIM)
endfunction()
file(MAKE_DIRECTORY ${staged}/man)
foreach(page korva-tdcr korva-tdcr-cli veltra-sim)
  korva_gzip(${packaging}/man/${page}.1 ${staged}/man/${page}.1.gz)
  install(FILES ${staged}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND generated ${staged}/man/${page}.1.gz)
endforeach()
configure_file(${packaging}/changelog.in ${staged}/changelog @ONLY)
korva_gzip(${staged}/changelog ${staged}/changelog.gz)
list(APPEND generated ${staged}/changelog.gz)
add_custom_target(korva_packaging_files ALL DEPENDS ${generated})

install(FILES ${packaging}/copyright ${staged}/changelog.gz DESTINATION ${docdir})
install(FILES ${PROJECT_SOURCE_DIR}/docs/USER_GUIDE.md DESTINATION ${docdir} OPTIONAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korva-tdcr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Korva)
set(CPACK_PACKAGE_CONTACT ${KORVA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the shared libraries the binaries link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SQL drivers as plugins at run time, so the shared-library scan
# cannot see them: the archive needs SQLite's, a lab's shared archive
# PostgreSQL's.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "control and analysis for the Veltra TDCR liquid-scintillation counter
Korva-TDCR sets up the pulse processor of the Veltra digital TDCR
liquid-scintillation counter (RQ3101, RQ3102), runs TDCR activity
measurements, acquires and calibrates pulse-height spectra, captures
traces and programs the instrument's FPGA.
.
The package holds the program (korva-tdcr), the same work for scripts and
machines without a display (korva-tdcr-cli) and a virtual instrument that
speaks the counter's protocol on a pseudo-terminal (veltra-sim).")
include(CPack)
