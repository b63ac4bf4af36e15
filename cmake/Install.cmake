# Installing: the three programs, the files they ship, the desktop entry, the man pages, and the
# .deb package made from the same rules (cpack -G DEB).
include(GNUInstallDirs)

set(LUMIVO_APP_ID io.github.lumivo.Lumivo)
set(LUMIVO_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/lumivo)

# An installed program finds the shared data folder relative to its own folder, so a prefix moved
# elsewhere keeps working.
file(RELATIVE_PATH LUMIVO_SHARED_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/lumivo)
target_compile_definitions(lumivo_core
                           PRIVATE LUMIVO_SHARED_DATA_FROM_BIN="${LUMIVO_SHARED_DATA_FROM_BIN}")

foreach(program lumivo lumivo-cli lumivo-sign lumivod)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
# The printing module the editor loads at its first Send via Network.
if(TARGET lumivo_printing)
    # A folder of its own below lib/lumivo: a private module, not a library for ldconfig.
    install(TARGETS lumivo_printing LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/lumivo/plugins)
endif()

# What the programs read but never change: the manual, the factory pictures and the sample
# graphics that seed each user's Graphdata folder.
install(FILES ${PROJECT_SOURCE_DIR}/data/Manual.txt DESTINATION ${LUMIVO_SHARE_DIR})
file(GLOB LUMIVO_FACTORY_PICTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*.bmp)
if(LUMIVO_FACTORY_PICTURES)
    install(FILES ${LUMIVO_FACTORY_PICTURES} DESTINATION ${LUMIVO_SHARE_DIR})
endif()
# The factory European character picture is written by the build (src/userfont).
if(TARGET factory_euro_picture)
    install(FILES ${LUMIVO_FACTORY_EURO_PICTURE} DESTINATION ${LUMIVO_SHARE_DIR})
endif()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Graphdata DESTINATION ${LUMIVO_SHARE_DIR}
        FILES_MATCHING PATTERN "G*.txt")

# The desktop entry, its icon and the software centre's description share one id.
if(TARGET lumivo)
    install(FILES ${PROJECT_SOURCE_DIR}/data/${LUMIVO_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/data/${LUMIVO_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${PROJECT_SOURCE_DIR}/data/${LUMIVO_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(LUMIVO_MAINTAINER "Lumivo developers <lumivo@example.org>")

# Shipped documents are compressed as Debian wants them: gzip at its best, without the file's name
# and time in the header, so the same source always gives the same bytes.
find_program(LUMIVO_GZIP gzip REQUIRED)
set(LUMIVO_COMPRESSED_DOCS)
function(lumivo_gzip_at_build plain)
    add_custom_command(OUTPUT ${plain}.gz
                       COMMAND ${LUMIVO_GZIP} -9nkf ${plain}
                       DEPENDS ${plain}
                       COMMENT "Compressing ${plain}"
                       VERBATIM)
    set(LUMIVO_COMPRESSED_DOCS ${LUMIVO_COMPRESSED_DOCS} ${plain}.gz PARENT_SCOPE)
endfunction()

# Man pages carry the project's version.
set(LUMIVO_MAN_PAGES)
foreach(page lumivo lumivo-cli lumivo-sign lumivod)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
    lumivo_gzip_at_build(${CMAKE_BINARY_DIR}/man/${page}.1)
    list(APPEND LUMIVO_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
# The sign service runs as a systemd user unit, so it keeps its files where the user's copy does.
if(TARGET lumivod)
    install(FILES ${PROJECT_SOURCE_DIR}/data/lumivod.service
            DESTINATION lib/systemd/user)
endif()
install(FILES ${LUMIVO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package's changelog: one entry for this version, dated by SOURCE_DATE_EPOCH when the build
# sets it, else by the last commit, so rebuilding the same source gives the same file.
set(LUMIVO_CHANGELOG_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(NOT LUMIVO_CHANGELOG_EPOCH)
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
                        OUTPUT_VARIABLE LUMIVO_CHANGELOG_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                        ERROR_QUIET)
    endif()
endif()
set(LUMIVO_SAVED_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(LUMIVO_CHANGELOG_EPOCH)
    set(ENV{SOURCE_DATE_EPOCH} ${LUMIVO_CHANGELOG_EPOCH})
endif()
string(TIMESTAMP LUMIVO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${LUMIVO_SAVED_EPOCH}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
lumivo_gzip_at_build(${CMAKE_BINARY_DIR}/doc/changelog)

add_custom_target(compressed_docs ALL DEPENDS ${LUMIVO_COMPRESSED_DOCS})

install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumivo)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumivo
        RENAME copyright)

# The Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME lumivo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Lumivo developers")
set(CPACK_PACKAGE_CONTACT "${LUMIVO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and controller for LED moving-message signs")
# The package's long description keeps these line breaks; the package file indents each line by
# one blank, and Debian wants them at most 80 characters wide then.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Lumivo writes the lines of LED moving-message signs and sends them over\n"
    "a serial line or a serial device server: effects, colours, fonts,\n"
    "graphics, schedules, the sign's clock, brightness and ID. lumivo-cli\n"
    "does the same from scripts and lumivo-sign is a virtual sign for trying\n"
    "everything without hardware; lumivod drives the signs over HTTP.\n"
    "License: MIT.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LUMIVO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

if(LUMIVO_TESTS)
    add_subdirectory(tests/install)
endif()
