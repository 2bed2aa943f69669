# sbdriver.dll as a Windows host loads it: no "lib" prefix, the entry points exported under their plain and
# their stdcall-decorated names, the C++ runtime linked in, so that only system DLLs are imported, and the project's
# version in a version resource and in the PE header's image version.
enable_language(RC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sbdriver.rc.in ${PROJECT_BINARY_DIR}/sbdriver.rc @ONLY)
set_target_properties(sbdriver PROPERTIES PREFIX "" OUTPUT_NAME sbdriver)
target_sources(sbdriver PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sbdriver.def ${PROJECT_BINARY_DIR}/sbdriver.rc)
target_link_options(sbdriver PRIVATE -static -static-libgcc -static-libstdc++)
# CMake hands a DLL's VERSION to the linker as its image version (--major-image-version, --minor-image-version).
set_target_properties(sbdriver PROPERTIES VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
