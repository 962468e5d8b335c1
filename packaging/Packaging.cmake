# The Debian package (scripts/package runs cpack -G DEB): the files where
# the device has them, the manual pages and the package's documents. The
# stand-in hide library is not shipped: on a device it belongs to another
# package.

set(NESTORA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(NESTORA_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/packaging)

# Manual pages and the changelog are shipped compressed, without time stamps.
find_program(NESTORA_GZIP gzip REQUIRED)
set(nestora_compressed)
foreach(page resources/man/NestoraTool.8 resources/man/nestora-backup.1)
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${name})
  add_custom_command(
    OUTPUT ${NESTORA_PACKAGE_STAGE}/${name}.gz
    COMMAND ${NESTORA_GZIP} -9nc ${PROJECT_SOURCE_DIR}/${page} > ${NESTORA_PACKAGE_STAGE}/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${page}
    VERBATIM)
  list(APPEND nestora_compressed ${NESTORA_PACKAGE_STAGE}/${name}.gz)
  install(FILES ${NESTORA_PACKAGE_STAGE}/${name}.gz DESTINATION usr/share/man/man${section})
endforeach()
configure_file(${NESTORA_PACKAGING_DIR}/changelog.in ${NESTORA_PACKAGE_STAGE}/changelog @ONLY)
add_custom_command(
  OUTPUT ${NESTORA_PACKAGE_STAGE}/changelog.gz
  COMMAND ${NESTORA_GZIP} -9nc ${NESTORA_PACKAGE_STAGE}/changelog > ${NESTORA_PACKAGE_STAGE}/changelog.gz
  DEPENDS ${NESTORA_PACKAGE_STAGE}/changelog
  VERBATIM)
list(APPEND nestora_compressed ${NESTORA_PACKAGE_STAGE}/changelog.gz)
add_custom_target(nestora_package_files ALL DEPENDS ${nestora_compressed})

install(FILES ${NESTORA_PACKAGE_STAGE}/changelog.gz ${NESTORA_PACKAGING_DIR}/copyright
        DESTINATION usr/share/doc/nestora)
# The tool's set-user-id bit is shipped, as Debian's own set-user-id
# programs do; lintian is told so, with the reason, in the override.
install(FILES ${NESTORA_PACKAGING_DIR}/lintian-overrides DESTINATION usr/share/lintian/overrides RENAME nestora)
# nestora-backup lives beside the tool in the app bundle; users find it on
# their PATH too.
file(CREATE_LINK /Applications/Nestora.app/nestora-backup ${NESTORA_PACKAGE_STAGE}/nestora-backup SYMBOLIC)
install(FILES ${NESTORA_PACKAGE_STAGE}/nestora-backup DESTINATION usr/bin)

set(CPACK_GENERATOR DEB)
# Install paths are device paths from the root (/Applications, /usr/...).
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_PACKAGE_NAME nestora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quarvek <nestora@quarvek.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "group home-screen apps into categories")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Nestora groups the apps of the home screen into categories. A category\n"
  "is an app bundle in /Applications; the apps put into one are hidden from\n"
  "the home screen and its launcher shows them instead.\n"
  "\n"
  "This package holds the Nestora app, NestoraTool (the set-user-id program\n"
  "that makes every change in /Applications), the category launcher's files\n"
  "and nestora-backup, which saves and restores every category.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The screens are drawn in Nimbus Sans, loaded from its files (ui/SystemFont).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-urw-base35")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Everything but the stand-in hide library (component "sample").
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified)
include(CPack)
