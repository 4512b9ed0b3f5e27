# End-to-end tests: every scenario folder run with the real DrvUninst.exe under
# Wine, the 64-bit build on a 64-bit machine (wine.*) and the 32-bit build on a
# 32-bit one (wine32.*). A test is skipped (exit 77) when Wine, wine32 or the
# build it needs is missing.
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  message(STATUS "python3 not found: no Wine tests")
  return()
endif()

set(DRVUNINST_WINDOWS_BUILD ${CMAKE_SOURCE_DIR}/build/windows CACHE PATH
    "Build directory of the windows preset, holding DrvUninst.exe and tools/")
set(DRVUNINST_WINDOWS_X86_BUILD ${CMAKE_SOURCE_DIR}/build/windows-x86 CACHE PATH
    "Build directory of the windows-x86 preset, for the wine32.* tests on a 32-bit machine")
set(DRVUNINST_WINE_WORK ${CMAKE_SOURCE_DIR}/build/wine-prefixes CACHE PATH
    "Where the Wine tests keep their template prefix and run prefixes")

foreach(dir ${SCENARIO_DIRS})
  get_filename_component(name ${dir} NAME)
  add_test(NAME wine.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/run_scenario.py ${dir}
                   --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe
                   --tools ${DRVUNINST_WINDOWS_BUILD}/tools
                   --work ${DRVUNINST_WINE_WORK})
  # The 32-bit build on a 32-bit Windows machine; skipped without Debian's wine32.
  add_test(NAME wine32.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/run_scenario.py ${dir}
                   --arch win32
                   --exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninst.exe
                   --tools ${DRVUNINST_WINDOWS_X86_BUILD}/tools
                   --work ${DRVUNINST_WINE_WORK})
  # The first test may build the template prefix, which takes a while.
  set_tests_properties(wine.${name} wine32.${name} PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()

# A script with an unknown action is refused by drvuninst-sim, the runner and
# the user stand-in of each build, before anything runs.
foreach(arch win64 win32)
  if(arch STREQUAL win64)
    set(build ${DRVUNINST_WINDOWS_BUILD})
    set(name wine.unknown-action-refused)
  else()
    set(build ${DRVUNINST_WINDOWS_X86_BUILD})
    set(name wine32.unknown-action-refused)
  endif()
  add_test(NAME ${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/unknown_action_refused.py
                   --sim $<TARGET_FILE:drvuninst-sim> --tools ${build}/tools
                   --work ${DRVUNINST_WINE_WORK} --arch ${arch})
  set_tests_properties(${name} PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 300)
endforeach()

# A planted version.dll (and others) beside the program must not load once its
# code runs; both builds.
add_test(NAME wine.planted-dll
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/planted_dll.py
                 --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe --tools ${DRVUNINST_WINDOWS_BUILD}/tools
                 --work ${DRVUNINST_WINE_WORK})
add_test(NAME wine32.planted-dll
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/planted_dll.py --arch win32
                 --exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninst.exe --tools ${DRVUNINST_WINDOWS_X86_BUILD}/tools
                 --work ${DRVUNINST_WINE_WORK})
set_tests_properties(wine.planted-dll wine32.planted-dll PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
