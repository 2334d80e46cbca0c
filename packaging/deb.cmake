# The Debian package of rvxedit: the program in /usr/bin and its manual page, packed with
# CPack's DEB generator (scripts/package-deb.sh builds it from a release build).
include(GNUInstallDirs)

# The manual page and the changelog go in compressed; -n keeps the file's name and time out of
# the archive, so the package is the same every time.
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
set(RVX_MAN_PAGE ${CMAKE_BINARY_DIR}/rvxedit.1.gz)
set(RVX_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
foreach(pair "${PROJECT_SOURCE_DIR}/cli/rvxedit.1;${RVX_MAN_PAGE}"
             "${CMAKE_BINARY_DIR}/changelog;${RVX_CHANGELOG}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    add_custom_command(
        OUTPUT ${to}
        COMMAND sh -c "gzip -n -9 -c \"$1\" > \"$2\"" sh ${from} ${to}
        DEPENDS ${from}
        VERBATIM)
endforeach()
add_custom_target(rvxedit_deb_docs ALL DEPENDS ${RVX_MAN_PAGE} ${RVX_CHANGELOG})
install(FILES ${RVX_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${RVX_CHANGELOG} ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/rvxedit)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rvxedit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "RVXTOOL maintainers <rvxtool@example.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "show and correct the point name and antenna height of GNSS raw files")
# Debian wants the long description's lines at most 80 characters wide.
set(CPACK_PACKAGE_DESCRIPTION
    "rvxedit corrects the point name (kept in the file name) and the antenna
height (kept in the 160-byte header) of .RVX raw files, one by one or from a
field log in CSV, with the same rules and the same result as the RVXTOOL
dialog. A rename never replaces another file, and nothing after byte 159
changes.")
# The libraries the program needs, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
