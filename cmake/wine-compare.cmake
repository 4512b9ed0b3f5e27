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
