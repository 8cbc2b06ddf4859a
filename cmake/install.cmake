# Installation: the runtime and the C++ API as shared libraries with
# versioned sonames, the component server, public headers, regserver and the
# demo programs; a CMake package (find_package(sarn10b)), a pkg-config file,
# and a Debian package whose scripts register the server for the machine.
include(CMakePackageConfigHelpers)

set(SARN_API_TARGETS runtime outside manager library)
set_target_properties(runtime PROPERTIES EXPORT_NAME runtime)
set_target_properties(outside PROPERTIES EXPORT_NAME outside)
set_target_properties(manager PROPERTIES OUTPUT_NAME sarn_manager EXPORT_NAME manager)
set_target_properties(library PROPERTIES OUTPUT_NAME sarn_library EXPORT_NAME library)
foreach(t ${SARN_API_TARGETS})
  set_target_properties(${t} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
                                        INSTALL_RPATH "$ORIGIN")
  target_include_directories(${t} INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/sarn10b>)
endforeach()
if(TARGET qt_tree)
  set_target_properties(qt_tree PROPERTIES EXPORT_NAME qt_tree_view)
  target_include_directories(qt_tree INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/sarn10b>)
  list(APPEND SARN_API_TARGETS qt_tree)
endif()

# Programs find the libraries beside them in the prefix wherever it is moved.
set(SARN_SERVER_DIR ${CMAKE_INSTALL_LIBDIR}/sarn10b)
set(SARN_DEMO_DIR ${CMAKE_INSTALL_LIBEXECDIR}/sarn10b)
file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
file(RELATIVE_PATH demo_to_lib ${CMAKE_INSTALL_FULL_LIBEXECDIR}/sarn10b ${CMAKE_INSTALL_FULL_LIBDIR})
set_target_properties(regserver PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
set_target_properties(sarn10b PROPERTIES INSTALL_RPATH "$ORIGIN/..")
set(SARN_DEMOS demo host_by_name)
if(TARGET qt_demo)
  list(APPEND SARN_DEMOS qt_demo)
endif()
set_target_properties(${SARN_DEMOS} PROPERTIES INSTALL_RPATH "$ORIGIN/${demo_to_lib}")
# The libraries, the server and regserver are built where the install puts
# them relative to each other and linked with their install run path once:
# a run path edited at install time needs room reserved in the build tree's
# one, which CMake fills with empty entries, and the loader reads an empty
# entry as the working folder.
if(NOT WIN32)
  set_target_properties(${SARN_API_TARGETS} PROPERTIES
                        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_LIBDIR} BUILD_WITH_INSTALL_RPATH ON)
  set_target_properties(sarn10b PROPERTIES
                        LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/${SARN_SERVER_DIR} BUILD_WITH_INSTALL_RPATH ON)
  set_target_properties(regserver PROPERTIES
                        RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/${CMAKE_INSTALL_BINDIR} BUILD_WITH_INSTALL_RPATH ON)
endif()

install(TARGETS ${SARN_API_TARGETS} EXPORT sarn10bTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS sarn10b LIBRARY DESTINATION ${SARN_SERVER_DIR} NAMELINK_SKIP)
install(TARGETS regserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${SARN_DEMOS} RUNTIME DESTINATION ${SARN_DEMO_DIR})

foreach(folder runtime outside manager library)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${folder}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sarn10b/${folder}
          FILES_MATCHING PATTERN "*.h" PATTERN "tests" EXCLUDE PATTERN "tools" EXCLUDE PATTERN "server" EXCLUDE)
endforeach()
if(TARGET qt_tree)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/adapters/qt/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sarn10b/adapters/qt
          FILES_MATCHING PATTERN "*.h" PATTERN "tests" EXCLUDE PATTERN "demo" EXCLUDE PATTERN "bench" EXCLUDE)
endif()

set(SARN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/sarn10b)
install(EXPORT sarn10bTargets NAMESPACE sarn10b:: DESTINATION ${SARN_CMAKE_DIR})
if(TARGET qt_tree)
  set(SARN_WITH_QT ON)
else()
  set(SARN_WITH_QT OFF)
endif()
if(NOT SARN_WITH_QT OR NOT DEFINED SARN_QT_DBUS)
  set(SARN_QT_DBUS OFF)
endif()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/sarn10bConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/sarn10bConfig.cmake INSTALL_DESTINATION ${SARN_CMAKE_DIR}
                              PATH_VARS SARN_SERVER_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/sarn10bConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/sarn10bConfig.cmake ${PROJECT_BINARY_DIR}/sarn10bConfigVersion.cmake
        DESTINATION ${SARN_CMAKE_DIR})

configure_file(${CMAKE_CURRENT_LIST_DIR}/sarn10b.pc.in ${PROJECT_BINARY_DIR}/sarn10b.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sarn10b.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The Debian package: registered in the system registry on installation,
# unregistered on removal.
set(SARN_REGSERVER ${CMAKE_INSTALL_FULL_BINDIR}/regserver)
set(SARN_SERVER_FILE ${CMAKE_INSTALL_FULL_LIBDIR}/sarn10b/libsarn10b.so)
set(SARN_SYSTEM_REGISTRY ${CMAKE_INSTALL_FULL_DATADIR}/sarn/registry)
foreach(script postinst prerm postrm)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/${script}.in ${PROJECT_BINARY_DIR}/debian/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sarn10b)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "sarn10b developers <sarn10b@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Check boxes and option buttons for tree views, as a component server")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
if(TARGET qt_tree)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, libqt6widgets6")
endif()
if(SARN_QT_DBUS)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, libqt6dbus6")
endif()
if(TARGET sarn10b_python)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3 (>= 3.11~), python3 (<< 3.12), python3-pyqt6")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_BINARY_DIR}/debian/postinst ${PROJECT_BINARY_DIR}/debian/prerm ${PROJECT_BINARY_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
