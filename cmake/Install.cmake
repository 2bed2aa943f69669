# cmake --install: the library, the header, the Pascal units, a CMake package and a pkg-config file (component
# "library"), and on POSIX the programs sbhost and sbsim with their manual pages (component "tools").
# find_package(sbdriver) gives sbdriver::sbdriver, to link, and sbdriver::headers, for hosts that load the library
# at run time; sbdriver.pc finds its prefix from its own place, so the installed tree can move.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS sbdriver sbdriver_headers EXPORT sbdriverTargets COMPONENT library
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/sbdriver/sbdriver.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/sbdriver
        COMPONENT library)

# The Pascal units, and the host to copy that uses them, for Delphi and Free Pascal hosts.
file(GLOB SB_PASCAL_UNIT_FILES ${PROJECT_SOURCE_DIR}/bindings/pascal/*.pas)
install(FILES ${SB_PASCAL_UNIT_FILES} ${PROJECT_SOURCE_DIR}/examples/pascal/host.dpr
        DESTINATION ${CMAKE_INSTALL_DATADIR}/sbdriver/pascal COMPONENT library)

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
  # Their manual pages, written from what each prints for --help (HelpToMan.cmake), so that they cannot drift.
  set(SB_MAN_SUMMARY_sbhost "reference host of the sbdriver dispenser driver library")
  set(SB_MAN_SUMMARY_sbsim "simulated forecourt of fuel dispensers for the sbdriver library")
  foreach(program sbhost sbsim)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
                       COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> -DNAME=${program}
                               "-DSUMMARY=${SB_MAN_SUMMARY_${program}}" -DVERSION=${PROJECT_VERSION} -DOUT=${page}
                               -P ${CMAKE_CURRENT_LIST_DIR}/HelpToMan.cmake
                       DEPENDS ${program} ${CMAKE_CURRENT_LIST_DIR}/HelpToMan.cmake VERBATIM)
    list(APPEND SB_MAN_PAGES ${page})
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${SB_MAN_PAGES})
  install(FILES ${SB_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tools)
endif()
