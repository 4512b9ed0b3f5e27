# The fault-injection sweep: every scenario folder run once per call site of
# its clean run and per error that call can return, on the simulated machine.
file(GLOB SWEEP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/fault-sweep/*.cpp)
list(FILTER SWEEP_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(drvuninst_sweep STATIC ${SWEEP_SOURCES})
target_link_libraries(drvuninst_sweep PUBLIC drvuninst_harness)

add_executable(fault-sweep ${CMAKE_SOURCE_DIR}/tools/fault-sweep/main.cpp)
target_link_libraries(fault-sweep PRIVATE drvuninst_sweep)

target_link_libraries(unit_tests PRIVATE drvuninst_sweep)

foreach(entry ${SCENARIO_DIRS})
  get_filename_component(scenario_name ${entry} NAME)
  add_test(NAME sweep.${scenario_name} COMMAND fault-sweep ${entry})
  set_tests_properties(sweep.${scenario_name} PROPERTIES LABELS sweep TIMEOUT 600)
endforeach()

# The 32-bit build on a 64-bit machine: its hand-over swept as well.
foreach(entry ${NT_SCENARIO_DIRS})
  get_filename_component(scenario_name ${entry} NAME)
  add_test(NAME sweep-wow64.${scenario_name} COMMAND fault-sweep ${entry} --wow64)
  set_tests_properties(sweep-wow64.${scenario_name} PROPERTIES LABELS "sweep;wow64" TIMEOUT 600)
endforeach()

# The unattended run (/quiet with a /log) swept as well: every run still ends
# with a code of the README's table, never a success while something is left.
foreach(entry ${SCENARIO_DIRS})
  get_filename_component(scenario_name ${entry} NAME)
  add_test(NAME sweep-quiet.${scenario_name} COMMAND fault-sweep ${entry} --quiet)
  set_tests_properties(sweep-quiet.${scenario_name} PROPERTIES LABELS "sweep;quiet" TIMEOUT 600)
endforeach()
