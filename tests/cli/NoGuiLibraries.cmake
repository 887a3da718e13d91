# Fails when the program BINARY needs, directly or through another library, anything of Qt's
# GUI or widget modules or of a display system.
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${BINARY}"
  RESOLVED_DEPENDENCIES_VAR resolved UNRESOLVED_DEPENDENCIES_VAR unresolved)
set(found "")
foreach(library IN LISTS resolved unresolved)
  get_filename_component(name "${library}" NAME)
  if(name MATCHES "Qt6(Gui|Widgets|OpenGL)|^libGL|^libEGL|^libX|^libxcb|^libwayland")
    list(APPEND found "${name}")
  endif()
endforeach()
if(found)
  message(FATAL_ERROR "${BINARY} needs GUI libraries: ${found}")
endif()
list(FILTER resolved INCLUDE REGEX "Qt6")
message(STATUS "Qt libraries needed: ${resolved}")
