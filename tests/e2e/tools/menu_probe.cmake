# menuprobe.dll: the hook hbtool's menu commands install on the thread of a popup menu to read
# its items inside the process that shows it (menu_probe.h). It sits next to hbtool.exe, where
# hbtool looks for it; Wine loads it into the hooked process from that same path.
add_library(menuprobe SHARED menu_probe_hook.cpp)
# Same binary directory as hbtool, so both land in the same folder.
set_target_properties(menuprobe PROPERTIES PREFIX "")
target_compile_definitions(menuprobe PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
# Static runtime: the DLL is loaded into another program's process with nothing else to ship.
target_link_options(menuprobe PRIVATE -static)
target_link_libraries(menuprobe PRIVATE hb_warnings user32)
add_dependencies(hbtool menuprobe)
