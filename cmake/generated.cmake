# The simulated machine held against Wine on a few generated machines, fixed
# seeds of tools/generate-scenarios, with both Windows builds. Skipped (exit 77)
# where Wine, wine32 or a build is missing.
if(NOT Python3_Interpreter_FOUND)
  return()
endif()

# NT 4.0 and ME removals, an NT 4.0 count check with an odd device, Windows 7
# with a win.ini, XP with box-ok before OK.
set(DRVUNINST_GENERATED_SEEDS 6 14 20 43 47)

foreach(seed ${DRVUNINST_GENERATED_SEEDS})
  foreach(arch win64 win32)
    if(arch STREQUAL win64)
      set(build ${DRVUNINST_WINDOWS_BUILD})
      set(name generated.seed-${seed})
    else()
      set(build ${DRVUNINST_WINDOWS_X86_BUILD})
      set(name generated32.seed-${seed})
    endif()
    add_test(NAME ${name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/compare-generated
                     --first ${seed} --count 1 --arch ${arch}
                     --sim $<TARGET_FILE:drvuninst-sim> --build ${build}
                     --out ${CMAKE_BINARY_DIR}/generated --work ${DRVUNINST_WINE_WORK})
    set_tests_properties(${name} PROPERTIES LABELS "generated;wine" SKIP_RETURN_CODE 77 TIMEOUT 900)
  endforeach()
endforeach()
