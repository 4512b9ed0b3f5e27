# End-to-end tests: every scenario folder run with the real DrvUninst.exe under
# Wine. A test is skipped (exit 77) when Wine or the windows build is missing.
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  message(STATUS "python3 not found: no Wine tests")
  return()
endif()

set(DRVUNINST_WINDOWS_BUILD ${CMAKE_SOURCE_DIR}/build/windows CACHE PATH
    "Build directory of the windows preset, holding DrvUninst.exe and tools/")
set(DRVUNINST_WINE_WORK ${CMAKE_SOURCE_DIR}/build/wine-prefixes CACHE PATH
    "Where the Wine tests keep their template prefix and run prefixes")

file(GLOB wine_scenario_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/*)
foreach(dir ${wine_scenario_dirs})
  if(IS_DIRECTORY ${dir})
    get_filename_component(name ${dir} NAME)
    add_test(NAME wine.${name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/run_scenario.py ${dir}
                     --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe
                     --tools ${DRVUNINST_WINDOWS_BUILD}/tools
                     --work ${DRVUNINST_WINE_WORK})
    # The first test may build the template prefix, which takes a while.
    set_tests_properties(wine.${name} PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
  endif()
endforeach()
