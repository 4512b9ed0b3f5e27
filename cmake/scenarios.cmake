# Machine images on the simulated machine (image/, which the preview ships
# too), the harness that reads scenario folders, checks them and judges runs
# (harness/), the drvuninst-sim tool, and one test per folder of
# tests/scenarios.
file(GLOB IMAGE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/image/*.cpp)
add_library(drvuninst_image STATIC ${IMAGE_SOURCES})
target_link_libraries(drvuninst_image PUBLIC drvuninst_core)

file(GLOB HARNESS_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/harness/*.cpp)
add_library(drvuninst_harness STATIC ${HARNESS_SOURCES})
# Everything below the harness comes with it: the tools on top (drvuninst-sim,
# fault-sweep, the fuzz target, the benchmarks) link this one library, and the
# preview's library (cmake/preview.cmake) beside it where they preview.
target_link_libraries(drvuninst_harness PUBLIC drvuninst_image)

file(GLOB SIM_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/drvuninst-sim/*.cpp)
add_executable(drvuninst-sim ${SIM_TOOL_SOURCES})
target_link_libraries(drvuninst-sim PRIVATE drvuninst_harness)

target_link_libraries(unit_tests PRIVATE drvuninst_harness)

foreach(entry ${SCENARIO_DIRS})
  get_filename_component(scenario_name ${entry} NAME)
  add_test(NAME sim.${scenario_name} COMMAND drvuninst-sim ${entry} --check)
  set_tests_properties(sim.${scenario_name} PROPERTIES LABELS scenario)
endforeach()

# The 32-bit build on a 64-bit machine, for every NT-family folder: it hands
# the run to the 64-bit program it carries, and must end exactly as that one.
foreach(entry ${NT_SCENARIO_DIRS})
  get_filename_component(scenario_name ${entry} NAME)
  add_test(NAME sim-wow64.${scenario_name}
           COMMAND drvuninst-sim ${entry} --check --machine 64 --process 32 --compare-builds)
  set_tests_properties(sim-wow64.${scenario_name} PROPERTIES LABELS "scenario;wow64")
endforeach()
