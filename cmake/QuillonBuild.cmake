# Compiler settings and the helpers that declare tests, shared by every folder.
include(CTest)
include(GoogleTest)

if(WIN32)
  enable_language(RC)
  # Static runtime: setup.exe and the test programs import system DLLs only.
  add_compile_options(-Os -ffunction-sections -fdata-sections)
  add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
  add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 NOMINMAX)
elseif(QUILLON_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(QUILLON_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# GoogleTest from Debian's sources, built with the same compiler and flags as our code.
set(QUILLON_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(BUILD_TESTING AND NOT QUILLON_FUZZ)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${QUILLON_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(WIN32)
    target_compile_options(gtest PUBLIC -include ${CMAKE_CURRENT_LIST_DIR}/gtest_notification.h)
  endif()
endif()

# Our own code: warnings on, and kept clean.
add_compile_options(-Wall -Wextra)
if(WIN32)
  # Nothing of ours asks for a type at run time; the type tables are dead weight in setup.exe.
  add_compile_options(-fno-rtti)
endif()

# quillon_host_test(NAME SOURCES ... LIBS ...): a GoogleTest program of the host preset.
function(quillon_host_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR QUILLON_FUZZ OR NOT BUILD_TESTING)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} TEST_PREFIX "host." DISCOVERY_TIMEOUT 60)
endfunction()

# quillon_win_test(NAME SOURCES ... LIBS ...): a GoogleTest program run under Wine by ctest.
function(quillon_win_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32 OR NOT BUILD_TESTING)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} TEST_PREFIX "win." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120)
endfunction()

# quillon_program(NAME SOURCES ... LIBS ...): a program of ours linked with its libraries.
function(quillon_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
endfunction()

# quillon_fuzzer(NAME SOURCES ... LIBS ... [SEEDS dir] [SECONDS n]): a libFuzzer target of the
# fuzz preset, and a ctest entry that runs it for a bounded time (new inputs go to the build tree).
function(quillon_fuzzer name)
  if(NOT QUILLON_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "SEEDS;SECONDS" "" ${ARGN})
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 20)
  endif()
  quillon_program(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz.${name}
           COMMAND ${name} ${corpus} ${ARG_SEEDS} -max_total_time=${ARG_SECONDS}
                   -rss_limit_mb=2048 -print_final_stats=1)
endfunction()

# quillon_bench(NAME SOURCES ... LIBS ...): a benchmark program of the bench preset (optimised,
# no sanitizers). Benchmarks print figures; they are not tests.
function(quillon_bench name)
  if(QUILLON_BENCH)
    quillon_program(${name} ${ARGN})
  endif()
endfunction()

# quillon_without_unwinding(TARGET...): setup.exe catches no exception but the help files'
# damage text, which never leaves the help record code; anything thrown elsewhere ends the
# program whether or not the frames it passes can be unwound. The Windows builds of these
# targets leave out the unwind tables and clean-up paths.
# Without exceptions the compiler still writes DWARF unwind tables for every 32-bit function
# unless told not to (14 KB of setup.exe). The 64-bit twin keeps its tables: 64-bit Windows walks
# the stack through them.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QUILLON_NO_UNWIND_TABLES -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
function(quillon_without_unwinding)
  if(WIN32)
    foreach(target ${ARGN})
      target_compile_options(${target} PRIVATE -fno-exceptions ${QUILLON_NO_UNWIND_TABLES})
    endforeach()
  endif()
endfunction()
