# sbdriver.dll as a Windows host loads it: no "lib" prefix, the entry points exported under their plain and
# their stdcall-decorated names, and the C++ runtime linked in, so that only system DLLs are imported.
set_target_properties(sbdriver PROPERTIES PREFIX "" OUTPUT_NAME sbdriver)
target_sources(sbdriver PRIVATE ${CMAKE_CURRENT_LIST_DIR}/sbdriver.def)
target_link_options(sbdriver PRIVATE -static -static-libgcc -static-libstdc++)
