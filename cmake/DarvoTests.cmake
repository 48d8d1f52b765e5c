# darvo_test_target(<target> [HEADERS <header>...])
#   Build settings of a test program (GoogleTest): its own code is compiled
#   without optimisation, which builds in a third of the time and finds the
#   same faults (the driver, the emulator and the programs it tests keep the
#   build's own flags), and, where it has more than one source file,
#   GoogleTest's header comes precompiled, together with HEADERS. The test
#   programs of tests/ share one precompiled header.
#   In the fuzzing build only the code under test carries the fuzzer's
#   coverage instrumentation.
function(darvo_test_target target)
  cmake_parse_arguments(T "" "" "HEADERS" ${ARGN})
  target_compile_options(${target} PRIVATE -O0)
  if(DARVO_FUZZ)
    target_compile_options(${target} PRIVATE -fno-sanitize=fuzzer-no-link)
  endif()
  get_target_property(sources ${target} SOURCES)
  list(LENGTH sources count)
  if(count LESS 2)
    return()
  endif()
  set(headers <gtest/gtest.h> <chrono> <functional> <map> <memory> <string> <thread> <vector> ${T_HEADERS})
  if(T_HEADERS)
    target_precompile_headers(${target} PRIVATE ${headers})
    return()
  endif()
  get_property(owner GLOBAL PROPERTY DARVO_TEST_PCH_OWNER)
  if(owner)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  else()
    target_precompile_headers(${target} PRIVATE ${headers})
    set_property(GLOBAL PROPERTY DARVO_TEST_PCH_OWNER ${target})
  endif()
endfunction()
