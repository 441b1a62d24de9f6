# Installation (cmake --install) and the Debian package (scripts/package,
# CPack's DEB generator). Generated files go to build/package/.

set(ORV_APP_ID de.orv.orv)
set(ORV_PKG_SOURCE ${CMAKE_SOURCE_DIR}/packaging)
set(ORV_PKG_BUILD ${CMAKE_BINARY_DIR}/package)
# The department that builds the package puts its own address here
# (cmake -DORV_PACKAGE_MAINTAINER=...); the default is a reserved domain.
set(ORV_PACKAGE_MAINTAINER "ORV-Entwicklung <orv@example.com>" CACHE STRING
    "Maintainer field of the Debian package")
# Likewise the page users find ORV on (the intranet's); software centres and
# Debian 13's metainfo check want a web address.
set(ORV_PACKAGE_HOMEPAGE "https://orv.example.com/" CACHE STRING
    "Homepage of the Debian package and the AppStream metainfo")
# The handbook on that page. The package's own copy lies in
# /usr/share/doc/orv/handbuch/ and opens from the program (F1); AppStream's
# help link takes web addresses only.
set(ORV_PACKAGE_HELP_URL "${ORV_PACKAGE_HOMEPAGE}handbuch/" CACHE STRING
    "Web address of the handbook in the AppStream metainfo")

find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP_PROGRAM gzip REQUIRED)

# Icons: the program's SVG and PNGs drawn from it at the usual sizes.
set(ORV_ICON_SVG ${CMAKE_SOURCE_DIR}/resources/icons/orv.svg)
set(ORV_PACKAGE_FILES)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${ORV_PKG_BUILD}/icons/${size}x${size}/orv.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_PKG_BUILD}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${ORV_ICON_SVG}
    DEPENDS ${ORV_ICON_SVG} VERBATIM)
  list(APPEND ORV_PACKAGE_FILES ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${ORV_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Man pages and the changelog carry the version; Debian wants them compressed
# without a time stamp.
# The changelog's date is the release date (days since 1970 by the civil
# calendar, so the package is the same whenever it is built).
string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ "${ORV_RELEASE_DATE}")
set(_y ${CMAKE_MATCH_1})
math(EXPR _m "${CMAKE_MATCH_2}")
math(EXPR _d "${CMAKE_MATCH_3}")
if(_m LESS_EQUAL 2)
  math(EXPR _y "${_y} - 1")
  math(EXPR _mp "${_m} + 9")
else()
  math(EXPR _mp "${_m} - 3")
endif()
math(EXPR _era "${_y} / 400")
math(EXPR _yoe "${_y} - ${_era} * 400")
math(EXPR _doy "(153 * ${_mp} + 2) / 5 + ${_d} - 1")
math(EXPR _doe "${_yoe} * 365 + ${_yoe} / 4 - ${_yoe} / 100 + ${_doy}")
math(EXPR _epoch "(${_era} * 146097 + ${_doe} - 719468) * 86400 + 43200")
set(_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${_epoch})
string(TIMESTAMP ORV_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${_saved_epoch}")
foreach(doc orv.1 orvdb.1 changelog)
  configure_file(${ORV_PKG_SOURCE}/${doc}.in ${ORV_PKG_BUILD}/${doc} @ONLY)
  add_custom_command(OUTPUT ${ORV_PKG_BUILD}/${doc}.gz
    COMMAND ${GZIP_PROGRAM} -9nkf ${doc}
    WORKING_DIRECTORY ${ORV_PKG_BUILD}
    DEPENDS ${ORV_PKG_BUILD}/${doc} VERBATIM)
  list(APPEND ORV_PACKAGE_FILES ${ORV_PKG_BUILD}/${doc}.gz)
endforeach()
install(FILES ${ORV_PKG_BUILD}/orv.1.gz ${ORV_PKG_BUILD}/orvdb.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The same pages in German, for users whose system speaks German.
foreach(doc orv.1 orvdb.1)
  configure_file(${ORV_PKG_SOURCE}/man/de/${doc}.in ${ORV_PKG_BUILD}/de/${doc} @ONLY)
  add_custom_command(OUTPUT ${ORV_PKG_BUILD}/de/${doc}.gz
    COMMAND ${GZIP_PROGRAM} -9nkf ${doc}
    WORKING_DIRECTORY ${ORV_PKG_BUILD}/de
    DEPENDS ${ORV_PKG_BUILD}/de/${doc} VERBATIM)
  list(APPEND ORV_PACKAGE_FILES ${ORV_PKG_BUILD}/de/${doc}.gz)
  install(FILES ${ORV_PKG_BUILD}/de/${doc}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/de/man1)
endforeach()
install(FILES ${ORV_PKG_SOURCE}/copyright ${ORV_PKG_BUILD}/changelog.gz ${ORV_PKG_SOURCE}/LIESMICH
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orv)
# The handbook with its pictures; "? -> Handbuch" (F1) opens it.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/handbuch/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orv/handbuch
        FILES_MATCHING PATTERN "*.html" PATTERN "*.png")
# Registered with doc-base, so that documentation browsers list it.
install(FILES ${ORV_PKG_SOURCE}/orv-handbuch.doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base
        RENAME orv-handbuch)

# The empty database a first start copies into the user's data folder.
set(ORV_TEMPLATE_DB ${ORV_PKG_BUILD}/orv.mdb)
add_custom_command(OUTPUT ${ORV_TEMPLATE_DB}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${ORV_TEMPLATE_DB}
  COMMAND orvdb init ${ORV_TEMPLATE_DB}
  DEPENDS orvdb VERBATIM)
list(APPEND ORV_PACKAGE_FILES ${ORV_TEMPLATE_DB})
install(FILES ${ORV_TEMPLATE_DB} DESTINATION ${CMAKE_INSTALL_DATADIR}/orv)

configure_file(${ORV_PKG_SOURCE}/${ORV_APP_ID}.metainfo.xml.in ${ORV_PKG_BUILD}/${ORV_APP_ID}.metainfo.xml @ONLY)
install(FILES ${ORV_PKG_BUILD}/${ORV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/resources/orv.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(TARGETS orv orvdb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Debian's hardening for what is installed: read-only relocations, bound at start.
target_link_options(orv PRIVATE LINKER:-z,relro LINKER:-z,now)
target_link_options(orvdb PRIVATE LINKER:-z,relro LINKER:-z,now)

add_custom_target(orv_package_files ALL DEPENDS ${ORV_PACKAGE_FILES})

# Installing builds only what it installs (scripts/package names the
# targets), not the tests and benchmarks.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "training department's employees, courses and training plans")
set(CPACK_PACKAGE_DESCRIPTION
"ORV keeps the employees, courses and training-plan entries of a company's
training department and prints training-plan, employee and course reports,
puts them on the clipboard or shows them in a searchable window. The user
interface is German.

The data lives in one SQLite file per workstation group or in a PostgreSQL
database shared by many workstations. The package includes orvdb, which
creates new databases, empty or with sample data, and imports
CSV files and workbooks into them.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORV_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORV_PACKAGE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so shlibdeps cannot see them: Qt's German texts, the
# fonts the reports ask for ("Courier New" and "Arial" resolve to Liberation),
# the SVG plugins for the icons, the X11 platform and the CUPS print plugin.
# Which package holds each differs between Debian releases (the SVG plugins
# moved from libqt6svg6 to qt6-svg-plugins in Debian 13), so the package is
# asked of the system the package is built on. scripts/check-package asks
# the same files again.
set(ORV_RUNTIME_FILES
    */qt6/translations/qtbase_de.qm
    */LiberationMono-Regular.ttf */LiberationSans-Regular.ttf
    */qt6/plugins/imageformats/libqsvg.so */qt6/plugins/iconengines/libqsvgicon.so
    */qt6/plugins/platforms/libqxcb.so */qt6/plugins/printsupport/libcupsprintersupport.so)
set(ORV_RUNTIME_PACKAGES)
foreach(pattern IN LISTS ORV_RUNTIME_FILES)
  execute_process(COMMAND dpkg-query -S ${pattern} OUTPUT_VARIABLE owner RESULT_VARIABLE rc ERROR_QUIET)
  # "package[:arch][, package…]: path"; the first owner is the one to depend on.
  if(rc EQUAL 0 AND owner MATCHES "^([^:, \n]+)")
    list(APPEND ORV_RUNTIME_PACKAGES ${CMAKE_MATCH_1})
  else()
    message(WARNING "No installed Debian package holds ${pattern}; the package will lack that dependency "
                    "(scripts/install-deps installs it)")
  endif()
endforeach()
list(REMOVE_DUPLICATES ORV_RUNTIME_PACKAGES)
list(JOIN ORV_RUNTIME_FILES "\n" _runtime_lines)
file(WRITE ${ORV_PKG_BUILD}/runtime-files "${_runtime_lines}\n")
list(JOIN ORV_RUNTIME_PACKAGES ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# xdg-open starts the browser for the handbook and the file manager for the
# data folder; without it the program says where those lie.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
