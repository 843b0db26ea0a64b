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

# pelo_add_locked_gtest(target lock timeout): a test program whose tests never run at the same
# time as other tests that hold the same resource lock; run in this binary folder.
function(pelo_add_locked_gtest target lock timeout)
  target_link_libraries(${target} PRIVATE GTest::gtest_main)
  pelo_target_defaults(${target})
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       PROPERTIES TIMEOUT ${timeout} RESOURCE_LOCK ${lock})
endfunction()
