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

# pelo_target_defaults(target): warnings, and static runtime and reproducible links on Windows.
function(pelo_target_defaults target)
  target_compile_options(${target} PRIVATE ${PELO_WARNINGS})
  if(WIN32)
    # No link time in the PE header: the same objects always give the same file.
    target_link_options(${target} PRIVATE ${PELO_STATIC_LINK} -Wl,--no-insert-timestamp)
  endif()
endfunction()

# pelo_add_gtest(target [SOURCES ...] [LIBS ...] [TIMEOUT seconds] [SHARDS n] [COST n]): the one way
# to declare a GoogleTest program. With SOURCES the program is created here; it runs in this binary
# folder.
# Natively each case is a ctest test of its own. A Windows test program runs under Wine as one
# process for all its cases (or one per shard with SHARDS n: gtest's own sharding, each case in
# exactly one shard), named after the architecture ("x64.name", "x86.name.2of3"), within TIMEOUT
# seconds (300 unless given); each case's result is written to test-results/<test>.xml in the build
# folder. Each such test takes one lane: a virtual display, a wineserver and a prefix of its own
# (scripts/wine-exec.sh), so no two of them share a desktop, a registry or a hook. COST, when given,
# starts the longer tests first.
function(pelo_add_gtest target)
  cmake_parse_arguments(T "" "TIMEOUT;SHARDS;COST" "SOURCES;LIBS" ${ARGN})
  if(T_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "pelo_add_gtest(${target}): unexpected arguments ${T_UNPARSED_ARGUMENTS}")
  endif()
  if(T_SOURCES)
    add_executable(${target} ${T_SOURCES})
  endif()
  pelo_target_defaults(${target})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest_main)
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(NOT T_SHARDS)
    set(T_SHARDS 1)
  endif()
  math(EXPR last "${T_SHARDS} - 1")
  foreach(shard RANGE ${last})
    set(name ${PELO_ARCH}.${target})
    set(env "")
    if(T_SHARDS GREATER 1)
      math(EXPR number "${shard} + 1")
      string(APPEND name ".${number}of${T_SHARDS}")
      set(env "GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${shard}")
    endif()
    # The program runs under Wine, which reads the result path as a Windows path.
    add_test(NAME ${name} COMMAND ${target} --gtest_output=xml:Z:${PELO_TEST_RESULTS}/${name}.xml
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} RESOURCE_GROUPS lane:1 LABELS wine
                                            ENVIRONMENT "${env}")
    if(T_COST)
      set_tests_properties(${name} PROPERTIES COST ${T_COST})
    endif()
  endforeach()
endfunction()

# The name a Windows build gives its tests, and where their cases' results go.
if(CMAKE_CROSSCOMPILING)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(PELO_ARCH x64)
  else()
    set(PELO_ARCH x86)
  endif()
  set(PELO_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)
endif()

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
