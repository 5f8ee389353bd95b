# Install layout and the Debian package. `cmake --install` puts kovra in bin, and the desktop
# entry, the icons, the AppStream metainfo and the manual page in share; `cpack` turns the same tree into build/package/kovra_<version>_<arch>.deb.
include(GNUInstallDirs)

install(TARGETS kovra RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The front end's private library, where kovra looks for it (relative to its own folder).
if(TARGET kovra_front)
  install(TARGETS kovra_front LIBRARY DESTINATION ${KOVRA_PRIVATE_LIBDIR})
endif()

set(_data ${PROJECT_SOURCE_DIR}/data)
install(FILES ${_data}/com.example.Kovra.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_data}/com.example.Kovra.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_data}/icons/com.example.Kovra.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_data}/icons/com.example.Kovra-symbolic.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/symbolic/apps)

# Manual pages are installed compressed; -n keeps the archive free of the build's time stamp.
find_program(KOVRA_GZIP gzip REQUIRED)
set(_man ${CMAKE_CURRENT_BINARY_DIR}/kovra.1.gz)
add_custom_command(OUTPUT ${_man}
  COMMAND ${KOVRA_GZIP} -9 -n -c ${_data}/kovra.1 > ${_man}
  DEPENDS ${_data}/kovra.1 VERBATIM)
add_custom_target(kovra_man ALL DEPENDS ${_man})
install(FILES ${_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package's copyright and change log, where Debian's tools look for them.
set(_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
  COMMAND ${KOVRA_GZIP} -9 -n -c ${_data}/changelog > ${_changelog}
  DEPENDS ${_data}/changelog VERBATIM)
add_custom_target(kovra_changelog ALL DEPENDS ${_changelog})
install(FILES ${_data}/copyright ${_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kovra)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kovra)
set(CPACK_PACKAGE_VENDOR "Kovra")
set(CPACK_PACKAGE_CONTACT "Kovra geliştiricileri <kovra@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sistem tepsisinde yaşayan sistem izleyici")
set(CPACK_PACKAGE_DESCRIPTION
  "Kovra işlemci yükünü, bellek kullanımını ve bellek baskısını, ağ\n\
hızını, ev klasörünün diskindeki boş alanı ve pili izler; süreçleri\n\
uygulamalara göre gruplar, uygulama başına ağ trafiğini ölçer ve her\n\
okumayı sade bir Türkçe yorumla gösterir.")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/package CACHE PATH "Where cpack writes the package")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kovra geliştiricileri <kovra@example.com>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.com/kovra")
# dpkg-shlibdeps finds the libraries the programs link; what they load at run time is listed by
# hand: the Qt platform plugins (no window opens without them), the SVG module for the icons and
# the fonts the labels are measured with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET kovra_ui_shell)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-dejavu-core")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
