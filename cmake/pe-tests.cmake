# The shipped programs as files (label pe): the 32-bit program's imports are
# all in Windows 98 SE and its own code calls none of the runtime's W stubs;
# both builds' load configuration keeps DLLs to the system folder. Skipped
# (exit 77) when a Windows build is missing. Uses the build directories the
# Wine tests name.
find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  return()
endif()

add_test(NAME pe.imports-windows-98
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/pe/check_imports.py
                 ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninst.exe ${CMAKE_SOURCE_DIR}/tests/pe/win98se-functions.txt
                 ${DRVUNINST_WINDOWS_X86_BUILD}/CMakeFiles/DrvUninst.dir)
add_test(NAME pe.load-config
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/pe/check_load_config.py
                 ${DRVUNINST_WINDOWS_BUILD}/DrvUninst.exe ${DRVUNINST_WINDOWS_X86_BUILD}/DrvUninst.exe)
set_tests_properties(pe.imports-windows-98 pe.load-config PROPERTIES LABELS pe SKIP_RETURN_CODE 77)
