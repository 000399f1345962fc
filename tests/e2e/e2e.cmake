# End-to-end tests: Windows programs, built in the Windows tree, run under Wine
# from the native tree against lumeric-sim. Both functions may be called in
# either tree; each does its work in its own tree only.
#
#   lumeric_e2e_program(<name> <sources>...)
#       Windows tree: a GoogleTest program linked with CComPort and SimControl,
#       placed in <win tree>/e2e-bin/<name>.exe.
#
#   lumeric_e2e_test(<name> <program> [SIMS <n>] [TIMEOUT <s>] [LOW_COM] [ARGS <program args>...]
#                    [ENVIRONMENT <VAR=value>...] [OUTPUT <regex>] [<lumeric-sim args>...])
#       Native tree (configured with LUMERIC_WIN_BUILD_DIR): a CTest test, label
#       e2e, that starts <n> sims (default 1) with the given arguments, links them
#       as fresh COM numbers in the shared Wine prefix and runs <program> (a name
#       from lumeric_e2e_program, or an absolute path to an .exe) under Wine.
#       The program finds them in LUMERIC_COM / LUMERIC_SIM_CONTROL (see
#       support/sim_control.h). Every test gets COM numbers of its own, so tests
#       run in parallel. LOW_COM takes them from 2 to 9, for a program that
#       must pick its port from a list of COM1 to COM12. In ARGS, @COM@ stands
#       for the first sim's COM number, for a program that takes its port on
#       its command line. OUTPUT: the test passes when the program's output
#       matches <regex> (its exit code is then not looked at).

set(LUMERIC_E2E_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(LUMERIC_E2E_FIXTURE lumeric_wine_prefix)
# The processor of the programs in LUMERIC_WIN_BUILD_DIR (scripts/lib/win-arch.sh):
# it picks the Wine loader, and each kind gets a prefix of its own.
set(LUMERIC_WIN_ARCH i686 CACHE STRING "Processor of the Windows build the e2e tier runs: i686 or x86_64")
set(LUMERIC_E2E_PREFIX ${CMAKE_BINARY_DIR}/wineprefix-${LUMERIC_WIN_ARCH})
set(LUMERIC_E2E_WINE_ENV LUMERIC_WIN_ARCH=${LUMERIC_WIN_ARCH})
set_property(GLOBAL PROPERTY LUMERIC_E2E_NEXT_COM 10)
set_property(GLOBAL PROPERTY LUMERIC_E2E_NEXT_LOW_COM 2)

function(lumeric_e2e_program name)
  if(NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE lumeric_e2e_support lumeric_comport gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/e2e-bin)
endfunction()

function(lumeric_e2e_test name program)
  if(WIN32 OR NOT LUMERIC_WIN_BUILD_DIR)
    return()
  endif()
  cmake_parse_arguments(E2E "LOW_COM" "SIMS;TIMEOUT;OUTPUT" "ARGS;ENVIRONMENT" ${ARGN})
  if(NOT E2E_SIMS)
    set(E2E_SIMS 1)
  endif()
  if(NOT E2E_TIMEOUT)
    set(E2E_TIMEOUT 120)
  endif()
  # The runner stops a hung program itself, in time to show what it printed.
  math(EXPR deadline "${E2E_TIMEOUT} - 10")
  if(IS_ABSOLUTE "${program}")
    set(exe "${program}")
  else()
    set(exe "${LUMERIC_WIN_BUILD_DIR}/e2e-bin/${program}.exe")
  endif()

  set(counter LUMERIC_E2E_NEXT_COM)
  if(E2E_LOW_COM)
    set(counter LUMERIC_E2E_NEXT_LOW_COM)
  endif()
  get_property(com GLOBAL PROPERTY ${counter})
  math(EXPR next "${com} + ${E2E_SIMS}")
  if(E2E_LOW_COM AND next GREATER 10)
    message(FATAL_ERROR "lumeric_e2e_test(${name}): no COM numbers below 10 left")
  endif()
  set_property(GLOBAL PROPERTY ${counter} ${next})

  list(TRANSFORM E2E_ARGS REPLACE "@COM@" "${com}")
  set(sim_args)
  foreach(arg IN LISTS E2E_UNPARSED_ARGUMENTS)
    list(APPEND sim_args --sim-arg ${arg})
  endforeach()
  add_test(NAME ${name}
    COMMAND ${LUMERIC_E2E_SOURCE_DIR}/run-with-sim.sh
      --prefix ${LUMERIC_E2E_PREFIX} --sim $<TARGET_FILE:lumeric-sim> --com ${com} --sims ${E2E_SIMS} --deadline ${deadline}
      ${sim_args} -- ${exe} ${E2E_ARGS})
  set(environment ${LUMERIC_E2E_WINE_ENV} ${E2E_ENVIRONMENT})
  set_tests_properties(${name} PROPERTIES
    LABELS e2e FIXTURES_REQUIRED ${LUMERIC_E2E_FIXTURE} TIMEOUT ${E2E_TIMEOUT}
    ENVIRONMENT "${environment}")
  if(DEFINED E2E_OUTPUT)
    set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${E2E_OUTPUT}")
  endif()
endfunction()

# The shared prefix: created once per build tree, its wineserver kept alive
# for the tests and ended after the last one.
function(lumeric_e2e_prefix_fixture)
  if(WIN32 OR NOT LUMERIC_WIN_BUILD_DIR)
    return()
  endif()
  set(script ${LUMERIC_E2E_SOURCE_DIR}/../../scripts/lib/wine-prefix.sh)
  add_test(NAME e2e_wine_prefix_start COMMAND ${script} start ${LUMERIC_E2E_PREFIX})
  set_tests_properties(e2e_wine_prefix_start PROPERTIES
    LABELS e2e FIXTURES_SETUP ${LUMERIC_E2E_FIXTURE} TIMEOUT 180 ENVIRONMENT ${LUMERIC_E2E_WINE_ENV})
  add_test(NAME e2e_wine_prefix_stop COMMAND ${script} stop ${LUMERIC_E2E_PREFIX})
  set_tests_properties(e2e_wine_prefix_stop PROPERTIES
    LABELS e2e FIXTURES_CLEANUP ${LUMERIC_E2E_FIXTURE} TIMEOUT 60 ENVIRONMENT ${LUMERIC_E2E_WINE_ENV})
endfunction()
