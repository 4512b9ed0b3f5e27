# Packages installed by Windows' own installer functions, removed by DrvUninst,
# the machine compared with itself before the install: one folder of
# tests/installed each, on the simulated machine (sim-installed.*, which models
# the install) and under Wine with the real functions (wine-installed.*, both
# builds on their machines). Label "installed"; the Wine ones also "wine".
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  return()
endif()

file(GLOB installed_entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/installed/*)
foreach(entry ${installed_entries})
  if(NOT EXISTS ${entry}/install)
    continue()
  endif()
  get_filename_component(name ${entry} NAME)
  add_test(NAME sim-installed.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/installed/sim_installed.py ${entry}
                   --sim $<TARGET_FILE:drvuninst-sim>)
  set_tests_properties(sim-installed.${name} PROPERTIES LABELS "scenario;installed" TIMEOUT 120)
  add_test(NAME wine-installed.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/installed/installed_scenario.py ${entry}
                   --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe --tools ${DRVUNINST_WINDOWS_BUILD}/tools
                   --work ${DRVUNINST_WINE_WORK})
  add_test(NAME wine32-installed.${name}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/installed/installed_scenario.py ${entry} --arch win32
                   --exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninst.exe --tools ${DRVUNINST_WINDOWS_X86_BUILD}/tools
                   --work ${DRVUNINST_WINE_WORK})
  set_tests_properties(wine-installed.${name} wine32-installed.${name}
                       PROPERTIES LABELS "wine;installed" SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()

# Generated packages (tests/installed/generate_packages.py), a few fixed seeds:
# a USB stick on XP with a DLL (3), two cards with a filter, a stream-bus
# tuner and a settings key (5), and more on the simulated machine alone;
# scripts/compare-generated --installed runs a hundred.
foreach(seed 1 2 3 4 5 6 7 8)
  add_test(NAME sim-installed.seed-${seed}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/installed/sim_installed.py
                   ${CMAKE_BINARY_DIR}/generated-installed --seed ${seed} --sim $<TARGET_FILE:drvuninst-sim>)
  set_tests_properties(sim-installed.seed-${seed} PROPERTIES LABELS "scenario;installed;generated" TIMEOUT 120)
endforeach()
foreach(seed 3 5)
  add_test(NAME wine-installed.seed-${seed}
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/installed/installed_scenario.py
                   ${CMAKE_BINARY_DIR}/generated-installed --seed ${seed}
                   --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe --tools ${DRVUNINST_WINDOWS_BUILD}/tools
                   --work ${DRVUNINST_WINE_WORK})
  set_tests_properties(wine-installed.seed-${seed} PROPERTIES LABELS "wine;installed;generated"
                       SKIP_RETURN_CODE 77 TIMEOUT 600)
endforeach()
