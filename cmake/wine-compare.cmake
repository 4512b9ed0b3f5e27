# The simulated machine held against Wine: every scenario folder run on both,
# their final states dumped in one form and compared. Skipped (exit 77) where
# Wine or the windows build is missing.
if(NOT Python3_Interpreter_FOUND)
  return()
endif()

foreach(dir ${SCENARIO_DIRS})
  get_filename_component(name ${dir} NAME)
  add_test(NAME compare.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/compare_scenario.py ${dir}
                   --sim $<TARGET_FILE:drvuninst-sim>
                   --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe
                   --tools ${DRVUNINST_WINDOWS_BUILD}/tools
                   --work ${DRVUNINST_WINE_WORK})
  set_tests_properties(compare.${name} PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()

# The one file to ship, on 64-bit Windows: the 32-bit build on the 64-bit Wine
# machine hands its run to the 64-bit program it carries, and must end exactly
# in the 64-bit build's state (the simulated 64-bit machine's dump, which
# compare.* holds against the 64-bit build under Wine). The 64-bit tools
# watch it, so the hook records the 64-bit program's dialog.
foreach(dir ${NT_SCENARIO_DIRS})
  get_filename_component(name ${dir} NAME)
  add_test(NAME wow64.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/compare_scenario.py ${dir}
                   --sim $<TARGET_FILE:drvuninst-sim> --sim-machine 64
                   --exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninst.exe
                   --tools ${DRVUNINST_WINDOWS_BUILD}/tools
                   --work ${DRVUNINST_WINE_WORK})
  set_tests_properties(wow64.${name} PROPERTIES LABELS "wine;wow64" SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()
