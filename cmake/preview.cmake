# The preview's analysis and the profile check, on the simulated machine:
# drvuninst-sim serves both on Linux, DrvUninstPreview.exe on Windows.
file(GLOB PREVIEW_LIB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/preview/*.cpp)
list(FILTER PREVIEW_LIB_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(drvuninst_preview STATIC ${PREVIEW_LIB_SOURCES})
target_link_libraries(drvuninst_preview PUBLIC drvuninst_scenario)
target_link_libraries(drvuninst-sim PRIVATE drvuninst_preview)
target_link_libraries(unit_tests PRIVATE drvuninst_preview)

# The profile check on a profile made to hold every finding it knows, and on
# one it has nothing to say about.
set(PREVIEW_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/preview)
add_test(NAME sim.profile-check.every-finding
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/run_check.py ${PREVIEW_TEST_DIR}/every-finding.ini
                 --expect ${PREVIEW_TEST_DIR}/every-finding.expected --status 3 --sim $<TARGET_FILE:drvuninst-sim>)
add_test(NAME sim.profile-check.clean
         COMMAND ${Python3_EXECUTABLE} ${PREVIEW_TEST_DIR}/run_check.py
                 ${CMAKE_SOURCE_DIR}/tests/scenarios/demo-tuner-installed/windows/ZIZURUDO.ini
                 --expect ${PREVIEW_TEST_DIR}/clean.expected --status 0 --sim $<TARGET_FILE:drvuninst-sim>)
set_tests_properties(sim.profile-check.every-finding sim.profile-check.clean PROPERTIES LABELS scenario)
