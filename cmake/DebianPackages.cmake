# cpack -G DEB: two Debian packages from the install rules (cmake/Install.cmake). libsbdriver2 holds the library
# under its SONAME, the header, the CMake package and sbdriver.pc, so that a host builds and runs against it
# alone; sbdriver-tools holds sbhost and sbsim and depends on exactly that library. Their dependencies on the
# system come from dpkg-shlibdeps, the binaries are stripped, and each carries its copyright and changelog.
set(SB_DEB_MAINTAINER "sbdriver maintainers <sbdriver@example.org>" CACHE STRING "Maintainer of the Debian packages")

set(CPACK_PACKAGE_NAME sbdriver)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${SB_DEB_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL library tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libsbdriver${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# ldconfig runs on install and removal through the trigger, as Debian wants it (CPack adds its own calls too).
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/triggers)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "fuel dispenser driver library for station controllers
The driver a fuel-station controller (the host) loads to operate fuel
dispensers over serial lines: the host lends it a port service object, and
the driver polls, selects and starts the filling points, reads their
deliveries and totalizers and keeps a trace log. The header, a CMake package
and sbdriver.pc come with it for building hosts.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME sbdriver-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOLS_DEPENDS library)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "reference host and dispenser simulator for the sbdriver library
sbhost loads the driver library as a station controller does and drives
filling points over serial lines, monitors a forecourt, and decodes the
driver's trace log into an annotated listing or a report. sbsim simulates a
forecourt of dispensers on pseudo-terminals or serial devices, with faults.")

# The copyright, the Debian changelog (gzip -9n, as Debian ships it) and the lintian overrides of each package,
# in its package only.
string(TIMESTAMP SB_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(component library tools)
  string(TOUPPER ${component} upper)
  set(SB_DEB_PACKAGE ${CPACK_DEBIAN_${upper}_PACKAGE_NAME})
  set(changelog ${PROJECT_BINARY_DIR}/debian/${SB_DEB_PACKAGE}/changelog.Debian)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${changelog} @ONLY)
  execute_process(COMMAND gzip -9nf ${changelog} RESULT_VARIABLE zipped)
  if(NOT zipped EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${changelog}")
  endif()
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${changelog}.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${SB_DEB_PACKAGE} COMPONENT ${component} EXCLUDE_FROM_ALL)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/${component}.lintian-overrides RENAME ${SB_DEB_PACKAGE}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)
