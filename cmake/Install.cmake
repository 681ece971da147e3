# Installation of the programs and the Debian package (cpack -G DEB). The desktop entry,
# MIME type, icons and man pages are installed by packaging/CMakeLists.txt.
include(GNUInstallDirs)

foreach(_program qrpview qrptool)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME qrpview)
set(CPACK_PACKAGE_VENDOR "qrpview developers")
set(CPACK_PACKAGE_CONTACT "qrpview developers <qrpview-dev@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and converter for saved exam reports (.QRP)")
set(CPACK_PACKAGE_DESCRIPTION
  "qrpview shows saved report files (\"Relatórios de Exames\", .QRP) page by page, zooms, \
prints them on any printer of the system and saves copies. qrptool converts whole archives \
of reports to PDF or PNG from the command line, and reads, renders and prints single reports.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Shared libraries (Qt 6 and the C++ runtime) come from dpkg-shlibdeps; what is loaded at
# run time without being linked is listed here: the Qt platform plugins and the fonts the
# pictures' Arial, Times New Roman and Courier New are matched with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core, cups-client, xdg-utils")

include(CPack)
