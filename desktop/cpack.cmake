# A Debian package from the install rules: `cpack -G DEB` in the build folder makes
# zorvan_<version>_<arch>.deb. The library dependencies are read from the programs themselves;
# dpkg's triggers update the MIME, desktop and icon caches on install.
set(CPACK_PACKAGE_NAME zorvan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kw)
set(CPACK_PACKAGE_CONTACT Kw)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for NC part programs")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorvan edits the plain-text part programs that drive milling machines and machining centres:
syntax colouring, a line-number gutter, coordinate shift, axis rotation, value arithmetic,
templates, macro conversion and a desk calculator, with a Japanese interface. zorvan-cli runs the
same commands on files without a display.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY zorvan)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-noto-cjk | fonts-ipafont-gothic")
include(CPack)
