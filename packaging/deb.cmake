# The Debian package of rvxedit: the program in /usr/bin and its manual page, packed with
# CPack's DEB generator (scripts/package-deb.sh builds it from a release build).
include(GNUInstallDirs)

set(RVX_MAN_PAGE ${CMAKE_BINARY_DIR}/rvxedit.1.gz)
# -n keeps the file's name and time out of the archive, so the package is the same every time.
add_custom_command(
    OUTPUT ${RVX_MAN_PAGE}
    COMMAND sh -c "gzip -n -9 -c \"$1\" > \"$2\"" sh ${PROJECT_SOURCE_DIR}/cli/rvxedit.1
            ${RVX_MAN_PAGE}
    DEPENDS ${PROJECT_SOURCE_DIR}/cli/rvxedit.1
    COMMENT "Compressing the manual page"
    VERBATIM)
add_custom_target(rvxedit_man_page ALL DEPENDS ${RVX_MAN_PAGE})
install(FILES ${RVX_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rvxedit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "RVXTOOL maintainers <rvxtool@example.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "show and correct the point name and antenna height of GNSS raw files")
set(CPACK_PACKAGE_DESCRIPTION
    "rvxedit corrects the point name (kept in the file name) and the antenna height (kept in
the 160-byte header) of .RVX raw files, one by one or from a field log in CSV, with the same
rules and the same result as the RVXTOOL dialog. A rename never replaces another file, and
nothing after byte 159 changes.")
# The libraries the program needs, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
