# Compiler settings shared by every target, and helpers for the Windows deliverables.

set(PELO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wnull-dereference)
if(PELO_WERROR)
  list(APPEND PELO_WARNINGS -Werror)
endif()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                          _WIN32_WINNT=0x0A00 WINVER=0x0A00 _WIN32_IE=0x0A00)
  # Chinese strings in UTF-8 sources become the right UTF-16 resources.
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
  # A deliverable may import only DLLs that Windows ships.
  set(PELO_STATIC_LINK -static -static-libgcc -static-libstdc++)
else()
  if(PELO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# pelo_target_defaults(target): warnings, and static runtime on Windows.
function(pelo_target_defaults target)
  target_compile_options(${target} PRIVATE ${PELO_WARNINGS})
  if(WIN32)
    target_link_options(${target} PRIVATE ${PELO_STATIC_LINK})
  endif()
endfunction()

# pelo_add_gtest(target [SOURCES ...] [LIBS ...] [LOCK lock ...] [TIMEOUT seconds]): the one way to
# declare a GoogleTest program. Its tests run in this binary folder (under Wine when
# cross-compiling), each within TIMEOUT seconds (180 unless given). With SOURCES the program is
# created here. LOCK names the shared things its tests use (the desktop's focus and capture, the
# registry, ...): no two tests that hold the same lock run at the same time. Tests are listed when
# ctest runs, so building needs no Wine.
function(pelo_add_gtest target)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LOCK" ${ARGN})
  if(T_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "pelo_add_gtest(${target}): unexpected arguments ${T_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  if(T_SOURCES)
    add_executable(${target} ${T_SOURCES})
  endif()
  pelo_target_defaults(${target})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest_main)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                       TEST_LIST ${target}_TESTS
                       PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCK)
    # The tests exist only once ctest has listed them, and a list of locks does not survive the
    # way gtest_discover_tests passes its properties on: a script read after the listing sets them.
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_locks.cmake)
    file(WRITE ${script} "if(${target}_TESTS)\n"
                         "  set_tests_properties(\${${target}_TESTS} PROPERTIES RESOURCE_LOCK [==[${T_LOCK}]==])\n"
                         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()

# pelo_add_fuzzer(name SOURCES ... [LIBS ...] [SEEDS_DIR dir] [SEEDS_DEPENDS target]):
# a libFuzzer target (native build with PELO_FUZZ only) and a ctest test that runs it for
# PELO_FUZZ_SECONDS on a fresh corpus seeded from SEEDS_DIR. scripts/fuzz.sh runs it longer.
# The test has no ctest TIMEOUT of its own: scripts/run-fuzzer.sh bounds the run itself, so that
# a longer run asked for through PELO_FUZZ_SECONDS passes unless the fuzzer finds something.
set(PELO_FUZZ_SECONDS 30 CACHE STRING "How long the test run of each fuzz target lasts")
function(pelo_add_fuzzer name)
  cmake_parse_arguments(F "" "SEEDS_DIR;SEEDS_DEPENDS" "SOURCES;LIBS" ${ARGN})
  if(NOT PELO_FUZZ OR WIN32)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE ${PELO_WARNINGS} -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(F_SEEDS_DEPENDS)
    add_dependencies(${name} ${F_SEEDS_DEPENDS})
  endif()
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-fuzzer.sh $<TARGET_FILE:${name}> ${corpus}
                   ${PELO_FUZZ_SECONDS} ${F_SEEDS_DIR})
  set_tests_properties(${name} PROPERTIES LABELS fuzz)
endfunction()

# pelo_split_debug_info(target): the debug information moves to <file>.debug beside the file,
# which names it (.gnu_debuglink) for a debugger. In the file it would be sections of the image:
# Wine reads every section of an image whose file alignment is below a page into private memory,
# about 14 MiB for the program and the key button library.
function(pelo_split_debug_info target)
  if(WIN32 AND CMAKE_OBJCOPY)
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
                       COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug
                               $<TARGET_FILE:${target}>
                       VERBATIM)
  endif()
endfunction()
