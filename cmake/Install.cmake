# cmake --install: the library, the header, a CMake package and a pkg-config file (component "library"), and on
# POSIX the programs sbhost and sbsim (component "tools"). find_package(sbdriver) gives sbdriver::sbdriver, to
# link, and sbdriver::headers, for hosts that load the library at run time; sbdriver.pc finds its prefix from its
# own place, so the installed tree can move.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS sbdriver sbdriver_headers EXPORT sbdriverTargets COMPONENT library
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/sbdriver/sbdriver.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sbdriver
        COMPONENT library)

set(SB_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/sbdriver)
install(EXPORT sbdriverTargets NAMESPACE sbdriver:: DESTINATION ${SB_PACKAGE_DIR} COMPONENT library)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/sbdriverConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/sbdriverConfig.cmake INSTALL_DESTINATION ${SB_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/sbdriverConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/sbdriverConfig.cmake ${PROJECT_BINARY_DIR}/sbdriverConfigVersion.cmake
        DESTINATION ${SB_PACKAGE_DIR} COMPONENT library)

file(RELATIVE_PATH SB_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sbdriver.pc.in ${PROJECT_BINARY_DIR}/sbdriver.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/sbdriver.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT library)

if(TARGET sbsim)
  install(TARGETS sbhost sbsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tools)
endif()
