# Helpers for the programs that load the hook library from their own folder: its tests, the
# key-map tests and the hook benchmark.
include_guard(GLOBAL)

# pelo_beside_hook_library(name program...): copies Pelohook.dll into this binary folder, where
# the programs load it from, before they are built; name is the copy's own target.
function(pelo_beside_hook_library name)
  set(dll ${CMAKE_CURRENT_BINARY_DIR}/Pelohook.dll)
  add_custom_command(OUTPUT ${dll} COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Pelohook>
                                           ${CMAKE_CURRENT_BINARY_DIR} DEPENDS Pelohook)
  add_custom_target(${name} DEPENDS ${dll})
  foreach(program ${ARGN})
    add_dependencies(${program} ${name})
  endforeach()
endfunction()
