# What `cmake --install` puts where a desktop finds it (the program, its menu entry,
# its icon at the sizes of the hicolor theme, its AppStream description, its
# manual page, copyright and changelog), and the Debian package made of the same
# files with `cpack -G DEB`. Nothing else is installed: the libraries of src/ are
# static and linked into the program.

include(GNUInstallDirs)

set(MIVORA_APP_ID jp.varnel.Mivora)
set(packaging ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS mivora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Beside the framework's own catalogues, where the program looks for it.
install(FILES ${MIVORA_CATALOGUE} DESTINATION ${CMAKE_INSTALL_DATADIR}/qt6/translations)
install(FILES ${packaging}/${MIVORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging}/${MIVORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${packaging}/icons/${MIVORA_APP_ID}-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${MIVORA_APP_ID}.png)
endforeach()
install(FILES ${packaging}/icons/${MIVORA_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mivora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Varnel)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "vehicle inspection certificate records, printed onto pre-printed forms")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Mivora keeps the data of Japanese vehicle inspection certificates and prints a\n"
    "chosen record onto pre-printed paper forms through layouts designed over a\n"
    "scanned image of the blank form. It prices inspection fees, looks up postal\n"
    "codes and backs up and restores all records as CSV or fixed-width text.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Varnel <mivora@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The shared libraries (Qt, SQLite, ICU, libjpeg, libzip) are read off the program
# by dpkg-shlibdeps; what it loads by name or only shows is declared here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")

# The manual page lists what the program's --help says, so it is made from the
# program just built; a cross-built program cannot run here and has none.
set(docs ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
install(FILES ${packaging}/copyright DESTINATION ${docs})
if(NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
    set(made ${CMAKE_CURRENT_BINARY_DIR}/packagedocs)
    file(GENERATE OUTPUT ${made}/settings.cmake CONTENT "\
set(MIVORA_EXE [==[$<TARGET_FILE:mivora>]==])
set(MIVORA_VERSION [==[${PROJECT_VERSION}]==])
set(SUMMARY [==[${CPACK_PACKAGE_DESCRIPTION_SUMMARY}]==])
set(DESCRIPTION [==[${CPACK_PACKAGE_DESCRIPTION}]==])
set(TEMPLATE [==[${packaging}/mivora.1.in]==])
set(CHANGELOG [==[${packaging}/changelog]==])
set(OUTPUT_DIR [==[${made}]==])
")
    install(CODE "include([==[${made}/settings.cmake]==])
                  include([==[${packaging}/packagedocs.cmake]==])")
    install(FILES ${made}/changelog.gz DESTINATION ${docs})
    install(FILES ${made}/mivora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
include(CPack)
