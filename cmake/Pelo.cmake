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

# pelo_add_gtest(target [SOURCES ...] [LIBS ...] [TIMEOUT seconds] [SHARDS n] [COST n]
#                [RUN_COMMAND_FONTS]): the one way to declare a GoogleTest program. With SOURCES the program is created here; it runs in this binary
# folder.
# Natively each case is a ctest test of its own. A Windows test program runs under Wine as one
# process for all its cases (or one per shard with SHARDS n: gtest's own sharding, each case in
# exactly one shard), named after the architecture ("x64.name", "x86.name.2of3"), within TIMEOUT
# seconds (300 unless given); each case's result is written to test-results/<test>.xml in the build
# folder. Each such test takes one lane: a virtual display, a wineserver and a prefix of its own
# (scripts/wine-exec.sh), so no two of them share a desktop, a registry or a hook. COST, when given,
# starts the longer tests first. RUN_COMMAND_FONTS runs the program in a copy of that prefix that
# has the run command's fonts (scripts/wine-cjk-fonts.sh).
function(pelo_add_gtest target)
  cmake_parse_arguments(T "RUN_COMMAND_FONTS" "TIMEOUT;SHARDS;COST" "SOURCES;LIBS" ${ARGN})
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
    if(T_RUN_COMMAND_FONTS)
      set(env "PELO_PREFIX_FONTS=1")
    endif()
    if(T_SHARDS GREATER 1)
      math(EXPR number "${shard} + 1")
      string(APPEND name ".${number}of${T_SHARDS}")
      list(APPEND env "GTEST_TOTAL_SHARDS=${T_SHARDS}" "GTEST_SHARD_INDEX=${shard}")
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

# pelo_add_fuzzer(name SOURCES ... [LIBS ...] [SEEDS_DIRS dir ...] [SEEDS_DEPENDS target ...]
#                 [MIN_EDGES n]):
# a libFuzzer target (native build with PELO_FUZZ only) and a ctest test that runs it for
# PELO_FUZZ_SECONDS on its corpus folder seeded from SEEDS_DIRS. scripts/fuzz.sh runs it longer.
# LIBS are linked as copies compiled with coverage instrumentation (pelo_fuzz_library), so that
# the code under test guides the fuzzer. The test fails when the run ends with fewer than
# MIN_EDGES covered edges: a library linked without instrumentation shows up there.
# The test has no ctest TIMEOUT of its own: scripts/run-fuzzer.sh bounds the run itself, so that
# a longer run asked for through PELO_FUZZ_SECONDS passes unless the fuzzer finds something.
set(PELO_FUZZ_SECONDS 30 CACHE STRING "How long the test run of each fuzz target lasts")
function(pelo_add_fuzzer name)
  cmake_parse_arguments(F "" "MIN_EDGES" "SOURCES;LIBS;SEEDS_DIRS;SEEDS_DEPENDS" ${ARGN})
  if(F_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "pelo_add_fuzzer(${name}): unexpected arguments ${F_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT PELO_FUZZ OR WIN32)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE ${PELO_WARNINGS} -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  foreach(lib IN LISTS F_LIBS)
    pelo_fuzz_library(${lib} instrumented)
    target_link_libraries(${name} PRIVATE ${instrumented})
  endforeach()
  if(F_SEEDS_DEPENDS)
    add_dependencies(${name} ${F_SEEDS_DEPENDS})
  endif()
  set(options)
  if(F_MIN_EDGES)
    list(APPEND options --min-edges ${F_MIN_EDGES})
  endif()
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-fuzzer.sh ${options} $<TARGET_FILE:${name}> ${corpus}
                   ${PELO_FUZZ_SECONDS} ${F_SEEDS_DIRS})
  set_tests_properties(${name} PROPERTIES LABELS fuzz)
endfunction()

# pelo_fuzz_library(lib out_var): the library a fuzz target links in place of lib. A static or
# object library of this project is compiled once more, as lib_fuzz, with the same sources,
# settings and dependencies (mapped the same way) plus -fsanitize=fuzzer-no-link; the normal
# build keeps lib as it is. An interface library is copied only when something it links needs a
# copy. Names that are no target, and imported targets, are linked as they are; any other kind of
# library could not carry the instrumentation and is refused.
function(pelo_fuzz_library lib out)
  set(${out} ${lib} PARENT_SCOPE)
  if(lib MATCHES "^\\$<LINK_ONLY:(.+)>$")
    pelo_fuzz_library(${CMAKE_MATCH_1} inner)
    set(${out} "$<LINK_ONLY:${inner}>" PARENT_SCOPE)
    return()
  endif()
  if(NOT TARGET ${lib})
    return()
  endif()
  get_target_property(aliased ${lib} ALIASED_TARGET)
  if(aliased)
    set(lib ${aliased})
  endif()
  get_target_property(imported ${lib} IMPORTED)
  if(imported)
    return()
  endif()
  set(copy ${lib}_fuzz)
  if(TARGET ${copy})
    set(${out} ${copy} PARENT_SCOPE)
    return()
  endif()

  get_target_property(type ${lib} TYPE)
  set(link_properties INTERFACE_LINK_LIBRARIES)
  if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "OBJECT_LIBRARY")
    list(APPEND link_properties LINK_LIBRARIES)
  elseif(NOT type STREQUAL "INTERFACE_LIBRARY")
    message(FATAL_ERROR "pelo_fuzz_library: ${lib} is a ${type}; a fuzz target links only static, object "
                        "and interface libraries, which can be compiled with coverage instrumentation")
  endif()
  set(changed FALSE)
  foreach(property IN LISTS link_properties)
    get_target_property(links ${lib} ${property})
    set(mapped_${property})
    if(links)
      foreach(link IN LISTS links)
        pelo_fuzz_library(${link} mapped)
        list(APPEND mapped_${property} ${mapped})
        if(NOT mapped STREQUAL link)
          set(changed TRUE)
        endif()
      endforeach()
    endif()
  endforeach()
  if(type STREQUAL "INTERFACE_LIBRARY" AND NOT changed)
    return()
  endif()

  set(settings INTERFACE_INCLUDE_DIRECTORIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES
               INTERFACE_COMPILE_DEFINITIONS INTERFACE_COMPILE_OPTIONS INTERFACE_COMPILE_FEATURES)
  if(type STREQUAL "INTERFACE_LIBRARY")
    add_library(${copy} INTERFACE)
  else()
    get_target_property(source_dir ${lib} SOURCE_DIR)
    get_target_property(sources ${lib} SOURCES)
    set(absolute)
    foreach(source IN LISTS sources)
      if(NOT source MATCHES "^\\$<" AND NOT IS_ABSOLUTE "${source}")
        set(source ${source_dir}/${source})
      endif()
      list(APPEND absolute ${source})
    endforeach()
    string(REPLACE "_LIBRARY" "" kind ${type})
    add_library(${copy} ${kind} ${absolute})
    # Replaced, not added to: the copy's own directory gave it its directory settings too.
    list(APPEND settings INCLUDE_DIRECTORIES COMPILE_DEFINITIONS COMPILE_OPTIONS COMPILE_FEATURES
                         CXX_STANDARD CXX_STANDARD_REQUIRED CXX_EXTENSIONS POSITION_INDEPENDENT_CODE)
  endif()
  foreach(property IN LISTS settings)
    get_target_property(value ${lib} ${property})
    if(value STREQUAL "value-NOTFOUND")
      set_property(TARGET ${copy} PROPERTY ${property})
    else()
      set_property(TARGET ${copy} PROPERTY ${property} "${value}")
    endif()
  endforeach()
  foreach(property IN LISTS link_properties)
    set_property(TARGET ${copy} PROPERTY ${property} "${mapped_${property}}")
  endforeach()
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    target_compile_options(${copy} PRIVATE -fsanitize=fuzzer-no-link)
    get_target_property(dependencies ${lib} MANUALLY_ADDED_DEPENDENCIES)
    if(dependencies)
      add_dependencies(${copy} ${dependencies})
    endif()
  endif()
  set(${out} ${copy} PARENT_SCOPE)
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
