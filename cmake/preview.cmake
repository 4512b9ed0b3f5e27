# The preview's analysis and the profile check, on the simulated machine:
# drvuninst-sim serves both on Linux, DrvUninstPreview.exe on Windows.
# The live-machine reader calls the real Windows and is built there alone.
file(GLOB PREVIEW_LIB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/preview/*.cpp)
list(FILTER PREVIEW_LIB_SOURCES EXCLUDE REGEX "/(main|MachineReader)\\.cpp$")
add_library(drvuninst_preview STATIC ${PREVIEW_LIB_SOURCES})
target_link_libraries(drvuninst_preview PUBLIC drvuninst_image)
target_link_libraries(drvuninst-sim PRIVATE drvuninst_preview)
target_link_libraries(unit_tests PRIVATE drvuninst_preview)

# The profile check on a profile made to hold every finding it knows, on one
# whose values fill each kind of field to one character under and over its
# width, and on one it has nothing to say about.
set(PREVIEW_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/preview)
add_test(NAME sim.profile-check.every-finding
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/run_check.py ${PREVIEW_TEST_DIR}/every-finding.ini
                 --expect ${PREVIEW_TEST_DIR}/every-finding.expected --status 3 --sim $<TARGET_FILE:drvuninst-sim>)
add_test(NAME sim.profile-check.field-widths
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/run_check.py ${PREVIEW_TEST_DIR}/field-widths.ini
                 --expect ${PREVIEW_TEST_DIR}/field-widths.expected --status 3 --sim $<TARGET_FILE:drvuninst-sim>)
add_test(NAME sim.profile-check.clean
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/run_check.py
                 ${CMAKE_SOURCE_DIR}/tests/scenarios/demo-tuner-installed/windows/ZIZURUDO.ini
                 --expect ${PREVIEW_TEST_DIR}/clean.expected --status 0 --sim $<TARGET_FILE:drvuninst-sim>)
set_tests_properties(sim.profile-check.every-finding sim.profile-check.field-widths sim.profile-check.clean
                     PROPERTIES LABELS scenario)

# Under Wine: for every scenario the preview changes nothing and names what
# DrvUninst.exe then removes (both builds), and the profile check of the
# Windows program says what drvuninst-sim says. The preview's own machines
# are laid out only as Wine keeps them, so they are no scenarios: they run
# here alone.
file(GLOB PREVIEW_WINE_MACHINES LIST_DIRECTORIES true CONFIGURE_DEPENDS ${PREVIEW_TEST_DIR}/wine-machines/*)
if(Python3_Interpreter_FOUND)
  foreach(dir ${SCENARIO_DIRS} ${PREVIEW_WINE_MACHINES})
    get_filename_component(name ${dir} NAME)
    add_test(NAME wine.preview.${name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/preview_scenario.py ${dir}
                     --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe
                     --preview ${DRVUNINST_WINDOWS_BUILD}/DrvUninstPreview.exe
                     --tools ${DRVUNINST_WINDOWS_BUILD}/tools --work ${DRVUNINST_WINE_WORK})
    add_test(NAME wine32.preview.${name}
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/wine/preview_scenario.py ${dir} --arch win32
                     --exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninst.exe
                     --preview ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninstPreview.exe
                     --tools ${DRVUNINST_WINDOWS_X86_BUILD}/tools --work ${DRVUNINST_WINE_WORK})
    set_tests_properties(wine.preview.${name} wine32.preview.${name}
                         PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
  endforeach()
  foreach(arch win64 win32)
    set(build ${DRVUNINST_WINDOWS_BUILD})
    set(prefix wine)
    if(arch STREQUAL win32)
      set(build ${DRVUNINST_WINDOWS_X86_BUILD})
      set(prefix wine32)
    endif()
    foreach(profile every-finding field-widths)
      add_test(NAME ${prefix}.profile-check.${profile}
               COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/run_check.py ${PREVIEW_TEST_DIR}/${profile}.ini
                       --expect ${PREVIEW_TEST_DIR}/${profile}.expected --status 3 --arch ${arch}
                       --exe ${build}/DrvUninstPreview.exe --work ${DRVUNINST_WINE_WORK})
      set_tests_properties(${prefix}.profile-check.${profile}
                           PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)
    endforeach()
  endforeach()
endif()

# Both builds of the preview import nothing that writes to the machine; the
# uninstaller itself shows that the reading finds such functions.
foreach(build ${DRVUNINST_WINDOWS_BUILD} ${DRVUNINST_WINDOWS_X86_BUILD})
  get_filename_component(build_name ${build} NAME)
  add_test(NAME preview.imports.${build_name}
           COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/check_imports.py ${build}/DrvUninstPreview.exe)
  add_test(NAME preview.imports.${build_name}.uninstaller-writes
           COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/check_imports.py ${build}/DrvUninst.exe --expect-writes)
  set_tests_properties(preview.imports.${build_name} preview.imports.${build_name}.uninstaller-writes
                       PROPERTIES LABELS scenario SKIP_RETURN_CODE 77)
endforeach()

# The preview of every scenario on the simulated machine, held to the
# folder's own expect file.
foreach(dir ${SCENARIO_DIRS})
  get_filename_component(name ${dir} NAME)
  add_test(NAME sim.preview.${name}
           COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/sim_preview.py ${dir} --sim $<TARGET_FILE:drvuninst-sim>)
  set_tests_properties(sim.preview.${name} PROPERTIES LABELS scenario)
endforeach()

# Bad input: a missing profile, a directory, a file that is not text, a
# console that takes no output; exit status 2 and a message each time.
add_test(NAME sim.preview.bad-input
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/bad_input.py --sim $<TARGET_FILE:drvuninst-sim>)
set_tests_properties(sim.preview.bad-input PROPERTIES LABELS scenario)
add_test(NAME wine.preview-bad-input
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/bad_input.py --exe ${DRVUNINST_WINDOWS_BUILD}/DrvUninstPreview.exe
                 --work ${DRVUNINST_WINE_WORK})
add_test(NAME wine32.preview-bad-input
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/bad_input.py --arch win32
                 --exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninstPreview.exe --work ${DRVUNINST_WINE_WORK})
set_tests_properties(wine.preview-bad-input wine32.preview-bad-input PROPERTIES LABELS wine SKIP_RETURN_CODE 77 TIMEOUT 600)

# The preview loads its DLLs from the system folder only, as the uninstaller does.
add_test(NAME pe.load-config.preview
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/pe/check_load_config.py
                 ${DRVUNINST_WINDOWS_BUILD}/DrvUninstPreview.exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninstPreview.exe)
set_tests_properties(pe.load-config.preview PROPERTIES LABELS pe SKIP_RETURN_CODE 77)
