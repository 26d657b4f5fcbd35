# Install layout, the exported CMake package TesselDataLayer, the pkg-config file and the Debian
# packages (CPack). Included last by the top-level CMakeLists.txt, when every target exists.
#
#   bin/tessel-dbserver, bin/tessel-fileserver, bin/tesselctl (link to lib/tessel/tesselctl)
#   lib/tessel/                  the private folder of the libraries (libDataMediator.so,
#                                libToolKits.so, libVireoCommon.so, libWebSocket.so,
#                                libwebservice_sdk.so) and tesselctl's application folder: the data
#                                layer loads two of them from beside the program at run time
#   include/tessel/              public headers
#   lib/cmake/TesselDataLayer/   the CMake package
#   lib/pkgconfig/tessel-datalayer.pc
#   share/tessel/schema/         the <DbName>.sql files and <DbName>.d pieces
#   lib/systemd/system/tessel-dbserver.service, lib/sysusers.d/tessel.conf, etc/tessel/dbserver.conf
#   lib/systemd/system/tessel-fileserver.service, lib/sysusers.d/tessel-fileserver.conf,
#   etc/tessel/fileserver.env
#   lib/tessel/tessel-console, bin/tessel-console (link), share/applications/tessel-console.desktop
#   share/doc/<package>/         copyright, changelog.gz and the operator's guide
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TESSEL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TesselDataLayer)
set(TESSEL_APP_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tessel)

# Installed binaries find the libraries through RPATH relative to themselves.
set_target_properties(DataMediator ToolKits VireoCommon WebSocket webservice_sdk PROPERTIES
    INSTALL_RPATH "$ORIGIN")
set_target_properties(tessel-dbserver tessel-fileserver PROPERTIES INSTALL_RPATH "")
set_target_properties(tesselctl PROPERTIES INSTALL_RPATH "$ORIGIN")

# A sanitized build's libraries need the sanitizer runtimes linked into every program that uses
# them: the package hands the same link flags on to its users.
if(TESSEL_SANITIZE)
    target_link_options(DataMediator INTERFACE $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
elseif(TESSEL_TSAN)
    target_link_options(DataMediator INTERFACE $<INSTALL_INTERFACE:-fsanitize=thread>)
endif()

# A private folder: the libraries have generic names and no SONAME versions, so they stay out of
# the linker's search path.
install(TARGETS DataMediator ToolKits VireoCommon WebSocket webservice_sdk
    EXPORT TesselDataLayerTargets
    LIBRARY DESTINATION ${TESSEL_APP_INSTALL_DIR} COMPONENT client
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tessel)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/datalayer/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tessel
    COMPONENT dev FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_SOURCE_DIR}/src/websocket/include/I_WebSocket.h
              ${PROJECT_SOURCE_DIR}/src/toolkit/include/ToolKits.h
              ${PROJECT_SOURCE_DIR}/src/common/include/CLS_CommonHandle.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tessel COMPONENT dev)

install(EXPORT TesselDataLayerTargets NAMESPACE Tessel:: DESTINATION ${TESSEL_PACKAGE_DIR} COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/packaging/TesselDataLayerConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/TesselDataLayerConfig.cmake
    INSTALL_DESTINATION ${TESSEL_PACKAGE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/TesselDataLayerConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/TesselDataLayerConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/TesselDataLayerConfigVersion.cmake
    DESTINATION ${TESSEL_PACKAGE_DIR} COMPONENT dev)

set(TESSEL_PC_LIBS "")
if(TESSEL_SANITIZE)
    set(TESSEL_PC_LIBS "-fsanitize=address,undefined")
elseif(TESSEL_TSAN)
    set(TESSEL_PC_LIBS "-fsanitize=thread")
endif()
# Relocatable: the prefix is found from the file's own place.
file(RELATIVE_PATH TESSEL_PC_TO_PREFIX /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
configure_file(${PROJECT_SOURCE_DIR}/packaging/tessel-datalayer.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/tessel-datalayer.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tessel-datalayer.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# tesselctl runs from an application folder of its own, as a client application does: the
# libraries' folder, where the data layer finds libWebSocket.so beside the program.
install(TARGETS tesselctl RUNTIME DESTINATION ${TESSEL_APP_INSTALL_DIR} COMPONENT client)
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ../${TESSEL_APP_INSTALL_DIR}/tesselctl
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tesselctl\" SYMBOLIC)
" COMPONENT client)

# The data layer reads DbServerConfig.json from the application folder: for tesselctl that is a
# link to etc/tessel/DbServerConfig.json (/etc/tessel for the prefix /usr), so that nothing is
# ever written under the prefix; ~/.config/tessel/DbServerConfig.json wins for tesselctl.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(etc /etc/tessel)
        set(target /etc/tessel/DbServerConfig.json)
    else()
        set(etc \"\${CMAKE_INSTALL_PREFIX}/etc/tessel\")
        set(target ../../etc/tessel/DbServerConfig.json)
    endif()
    file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/DbServerConfig.json\" DESTINATION \"\${etc}\")
    file(CREATE_LINK \"\${target}\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TESSEL_APP_INSTALL_DIR}/DbServerConfig.json\" SYMBOLIC)
" COMPONENT client)

install(TARGETS tessel-dbserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/server/schema/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tessel/schema
    COMPONENT server FILES_MATCHING PATTERN "*.sql")
set(TESSEL_PACKAGED_BINDIR /usr/${CMAKE_INSTALL_BINDIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/tessel-dbserver.service.in
    ${CMAKE_CURRENT_BINARY_DIR}/tessel-dbserver.service @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tessel-dbserver.service
    DESTINATION lib/systemd/system COMPONENT server)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tessel-sysusers.conf
    DESTINATION lib/sysusers.d RENAME tessel.conf COMPONENT server)

install(TARGETS tessel-fileserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT fileserver)
configure_file(${PROJECT_SOURCE_DIR}/packaging/tessel-fileserver.service.in
    ${CMAKE_CURRENT_BINARY_DIR}/tessel-fileserver.service @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tessel-fileserver.service
    DESTINATION lib/systemd/system COMPONENT fileserver)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tessel-fileserver-sysusers.conf
    DESTINATION lib/sysusers.d RENAME tessel-fileserver.conf COMPONENT fileserver)

# Each package's copyright and changelog (gzip -9n, as Debian wants it); the operator's guide goes
# with the two services.
set(TESSEL_PACKAGE_MAINTAINER "Tessel maintainers <maintainers@users.noreply.c-seed-4deb57fe.example>"
    CACHE STRING "Maintainer of the Debian packages: name <address>")
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog
    OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
foreach(pair server:tessel-dbserver fileserver:tessel-fileserver client:libtessel-datalayer
             dev:libtessel-datalayer-dev console:tessel-console)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 component)
    list(GET pair 1 package)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
    if(component MATCHES "server$")
        install(FILES ${PROJECT_SOURCE_DIR}/docs/operations.md
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
    endif()
endforeach()
# Each service's options file goes to /etc/tessel for the prefix /usr (the package), else to
# <prefix>/etc/tessel (file(INSTALL) adds DESTDIR itself).
foreach(pair server:dbserver.conf fileserver:fileserver.env)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 component)
    list(GET pair 1 options_file)
    install(CODE "
        if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
            set(etc /etc/tessel)
        else()
            set(etc \"\${CMAKE_INSTALL_PREFIX}/etc/tessel\")
        endif()
        file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/${options_file}\" DESTINATION \"\${etc}\")
    " COMPONENT ${component})
endforeach()
# /var/lib/tessel (root, 0755) belongs to the packages; each service's systemd StateDirectory
# (db/, files/) is made by systemd for its own user inside it.
foreach(component server fileserver)
    install(CODE "
        if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
            set(state \"\$ENV{DESTDIR}/var/lib/tessel\")
        else()
            set(state \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/var/lib/tessel\")
        endif()
        file(MAKE_DIRECTORY \"\${state}\")
        file(CHMOD \"\${state}\" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
             GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    " COMPONENT ${component})
endforeach()

# ---- Debian packages: cpack -G DEB ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "Tessel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TESSEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Staged with DESTDIR and the prefix /usr, so that the options file lands in /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL server fileserver client dev console)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debug information stays in the build folder; the packages carry stripped binaries.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME tessel-dbserver)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "adduser, init-system-helpers (>= 1.54~)")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm
    ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILESERVER_PACKAGE_NAME tessel-fileserver)
set(CPACK_DEBIAN_FILESERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_FILESERVER_PACKAGE_DEPENDS "adduser, init-system-helpers (>= 1.54~)")
set(CPACK_DEBIAN_FILESERVER_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/fileserver/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/fileserver/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/fileserver/postrm
    ${PROJECT_SOURCE_DIR}/packaging/debian/fileserver/conffiles)
set(CPACK_DEBIAN_FILESERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME libtessel-datalayer)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION libs)
# Scripts of its own: CPack would otherwise add ldconfig calls, which a private folder does not need.
set(CPACK_DEBIAN_CLIENT_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/client/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/client/postrm
    ${PROJECT_SOURCE_DIR}/packaging/debian/client/conffiles)
set(CPACK_DEBIAN_CLIENT_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtessel-datalayer-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qtbase5-dev")
# Synopsis, then the extended description in lines of at most 80 characters (CPack indents them).
set(CPACK_COMPONENT_SERVER_DESCRIPTION "Tessel database server
tessel-dbserver runs the SQL that Tessel clients send over WebSocket on
SQLite files; with its systemd unit, schema and options file.")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION "Tessel data layer
The client library of Tessel (libDataMediator), its WebSocket channel
library and tesselctl, in the private folder /usr/lib/tessel.")
set(CPACK_COMPONENT_FILESERVER_DESCRIPTION "Tessel file service
tessel-fileserver keeps the files of Tessel clients on the storage host
(upload, download, rename, delete) under /var/lib/tessel/files; with its
systemd unit and user.")
set(CPACK_COMPONENT_DEV_DESCRIPTION "Tessel data layer, development files
Headers, the CMake package TesselDataLayer and the pkg-config file
tessel-datalayer.")
set(CPACK_COMPONENT_DEV_DEPENDS client)
set(CPACK_DEBIAN_CONSOLE_PACKAGE_NAME tessel-console)
set(CPACK_DEBIAN_CONSOLE_PACKAGE_SECTION x11)
set(CPACK_COMPONENT_CONSOLE_DESCRIPTION "desktop window onto the data of a Tessel site
tessel-console shows a Tessel site's data through the data layer: the
trees, the alarm log, passenger flow, face captures, maps and the server
host's network and load.")
set(CPACK_COMPONENT_CONSOLE_DEPENDS client)
include(CPack)
