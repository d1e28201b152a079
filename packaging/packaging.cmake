# What `cmake --install` puts under the prefix besides the programs, and the
# Debian package made of it (`./vx package`, or `cpack -G DEB` in a build tree).
#
#   share/vexmora/{fonts,tips,help,samples,icons}   found at run time (platform/data_dir.h)
#   share/man/man1/vexmora.1.gz, vexmora-cli.1.gz
#   share/metainfo/org.vexmora.Vexmora.metainfo.xml
#   share/mime/packages/vexmora-sequence.xml       the sequence file type (*.vxseq)
#   share/doc/vexmora/copyright

install(DIRECTORY "${VX_RESOURCE_DIR}/fonts" "${VX_RESOURCE_DIR}/tips" "${VX_RESOURCE_DIR}/help"
                  "${VX_RESOURCE_DIR}/samples" "${VX_RESOURCE_DIR}/icons"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/vexmora")
# The manual pages carry the project's version and are installed compressed.
find_program(VX_GZIP gzip REQUIRED)
foreach(page vexmora.1 vexmora-cli.1)
  configure_file("${CMAKE_CURRENT_LIST_DIR}/man/${page}.in" "${PROJECT_BINARY_DIR}/man/${page}" @ONLY)
  add_custom_command(OUTPUT "${PROJECT_BINARY_DIR}/man/${page}.gz"
    COMMAND "${VX_GZIP}" -9nkf "${PROJECT_BINARY_DIR}/man/${page}"
    DEPENDS "${PROJECT_BINARY_DIR}/man/${page}" VERBATIM)
  list(APPEND VX_MAN_PAGES "${PROJECT_BINARY_DIR}/man/${page}.gz")
endforeach()
add_custom_target(vexmora_man_pages ALL DEPENDS ${VX_MAN_PAGES})
install(FILES ${VX_MAN_PAGES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
configure_file("${CMAKE_CURRENT_LIST_DIR}/org.vexmora.Vexmora.metainfo.xml.in"
               "${PROJECT_BINARY_DIR}/org.vexmora.Vexmora.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/org.vexmora.Vexmora.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
# The sequence file type; the package's trigger on share/mime (or
# update-mime-database after a manual install) makes desktops know it.
install(FILES "${CMAKE_CURRENT_LIST_DIR}/vexmora-sequence.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages")
install(FILES "${CMAKE_CURRENT_LIST_DIR}/copyright"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/vexmora")

# The Debian package: vexmora_<version>_<arch>.deb, the version being the
# project's; `<arch>` is dpkg's. Library dependencies are computed from the
# installed programs (dpkg-shlibdeps).
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "vexmora")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Vexmora developers")
set(CPACK_PACKAGE_CONTACT "Vexmora developers <vexmora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "image idea generator: turns a picture into new pictures")
set(CPACK_PACKAGE_DESCRIPTION
  "Vexmora opens a picture and turns it into a sequence of image ideas, each\n\
made by one of 28 Xforms (Mosaic, Text, Clouds, Fallen Letters and more)\n\
from randomised shapes, textures and distortions. Every idea is kept as a\n\
recipe and can be made again exactly, at any quality.\n\
.\n\
The package holds the desktop program and vexmora-cli, which makes ideas\n\
from the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(VX_BUILD_GUI)
  # The tool bar's SVG icons are drawn by Qt's SVG plug-ins, loaded at run
  # time: no library dependency shows it.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_OUTPUT_FILE_PREFIX "${PROJECT_BINARY_DIR}/package")
include(CPack)
