# Install layout, the exported CMake package TesselDataLayer, the pkg-config file and the Debian
# packages (CPack). Included last by the top-level CMakeLists.txt, when every target exists.
#
#   bin/tessel-dbserver, bin/tesselctl (link to lib/tessel/tesselctl)
#   lib/libDataMediator.so, libToolKits.so, libVireoCommon.so, libWebSocket.so, libwebservice_sdk.so
#   lib/tessel/                  tesselctl's application folder: the program and links to the two
#                                libraries the data layer loads from there at run time
#   include/tessel/              public headers
#   lib/cmake/TesselDataLayer/   the CMake package
#   lib/pkgconfig/tessel-datalayer.pc
#   share/tessel/schema/         the <DbName>.sql files and <DbName>.d pieces
#   lib/systemd/system/tessel-dbserver.service, lib/sysusers.d/tessel.conf, etc/tessel/dbserver.conf
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TESSEL_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/TesselDataLayer)
set(TESSEL_APP_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tessel)

# Installed binaries find the libraries through RPATH relative to themselves.
set_target_properties(DataMediator ToolKits VireoCommon WebSocket webservice_sdk PROPERTIES
    INSTALL_RPATH "$ORIGIN")
set_target_properties(tessel-dbserver PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
set_target_properties(tesselctl PROPERTIES INSTALL_RPATH "$ORIGIN/..")

# A sanitized build's libraries need the sanitizer runtimes linked into every program that uses
# them: the package hands the same link flags on to its users.
if(TESSEL_SANITIZE)
    target_link_options(DataMediator INTERFACE $<INSTALL_INTERFACE:-fsanitize=address,undefined>)
elseif(TESSEL_TSAN)
    target_link_options(DataMediator INTERFACE $<INSTALL_INTERFACE:-fsanitize=thread>)
endif()

install(TARGETS DataMediator ToolKits VireoCommon WebSocket webservice_sdk
    EXPORT TesselDataLayerTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT client
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

# tesselctl runs from an application folder of its own, as a client application does.
install(TARGETS tesselctl RUNTIME DESTINATION ${TESSEL_APP_INSTALL_DIR} COMPONENT client)
install(CODE "
    set(app \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TESSEL_APP_INSTALL_DIR}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ../libWebSocket.so \"\${app}/libWebSocket.so\" SYMBOLIC)
    file(CREATE_LINK ../libwebservice_sdk.so \"\${app}/libwebservice_sdk.so\" SYMBOLIC)
    file(CREATE_LINK ../${TESSEL_APP_INSTALL_DIR}/tesselctl
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tesselctl\" SYMBOLIC)
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
# The options file goes to /etc/tessel for the prefix /usr (the package), else to <prefix>/etc/tessel
# (file(INSTALL) adds DESTDIR itself).
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(etc /etc/tessel)
    else()
        set(etc \"\${CMAKE_INSTALL_PREFIX}/etc/tessel\")
    endif()
    file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/dbserver.conf\" DESTINATION \"\${etc}\")
" COMPONENT server)

# ---- Debian packages: cpack -G DEB ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessel)
set(CPACK_PACKAGE_VENDOR "Tessel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tessel maintainers <tessel@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Staged with DESTDIR and the prefix /usr, so that the options file lands in /etc.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL server client dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debug information stays in the build folder; the packages carry stripped binaries.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_SERVER_PACKAGE_NAME tessel-dbserver)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "systemd | systemd-standalone-sysusers | adduser")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm
    ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME libtessel-datalayer)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libtessel-datalayer-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qtbase5-dev")
set(CPACK_COMPONENT_SERVER_DESCRIPTION
    "Tessel database server\n tessel-dbserver runs the SQL that Tessel clients send over WebSocket on SQLite files;\n with its systemd unit, schema and options file.")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION
    "Tessel data layer\n The client library of Tessel (libDataMediator), its WebSocket channel library and tesselctl.")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "Tessel data layer, development files\n Headers, the CMake package TesselDataLayer and the pkg-config file tessel-datalayer.")
set(CPACK_COMPONENT_DEV_DEPENDS client)
include(CPack)
