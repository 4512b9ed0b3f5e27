# Cross build of the real executable: GUI subsystem, static runtime, nothing beside it.
# The POSIX-thread runtime imports GetTickCount64, which Windows XP lacks; a build
# directory made with it keeps that compiler until it is configured afresh.
if(CMAKE_CXX_COMPILER MATCHES "-posix$")
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER} builds programs that need Windows Vista; "
          "configure this build directory afresh (cmake --preset <name> --fresh)")
endif()
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}")
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# A program the build ships to users' machines: the DLLs it imports come from
# the system folder only (its load configuration; this ld leaves the image's
# pointer to it empty, so a post-link step sets it from the link map), and it
# carries no debug sections.
function(drvuninst_shipped_program target)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/platform/win32/load_config.cpp)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -s -Wl,-Map=${map})
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/pe/set_load_config.py
                             $<TARGET_FILE:${target}> ${map}
                     VERBATIM)
endfunction()

add_executable(DrvUninst WIN32 ${PROGRAM_SOURCES} platform/win32/winmain.cpp res/DrvUninst.rc)
target_include_directories(DrvUninst PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(DrvUninst PRIVATE WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600)
target_compile_options(DrvUninst PRIVATE -Wall -Wextra -O2)
target_link_options(DrvUninst PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(DrvUninst PRIVATE setupapi shlwapi advapi32 comctl32 user32 gdi32)
set_target_properties(DrvUninst PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
drvuninst_shipped_program(DrvUninst)

# The 32-bit program carries the 64-bit one and hands the run to it on 64-bit
# Windows, so one file serves every Windows. The 64-bit build is brought up to
# date (configured if need be) before the 32-bit one takes it in.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(DRVUNINST_CARRIED_BUILD ${CMAKE_SOURCE_DIR}/build/windows CACHE PATH
      "Build directory of the 64-bit program the 32-bit one carries")
  set(carried_exe ${DRVUNINST_CARRIED_BUILD}/DrvUninst.exe)
  add_custom_target(carried_program
                    COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR} -DBUILD=${DRVUNINST_CARRIED_BUILD}
                            -P ${CMAKE_SOURCE_DIR}/cmake/build-carried.cmake
                    BYPRODUCTS ${carried_exe}
                    COMMENT "Bringing the carried 64-bit DrvUninst.exe up to date")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/carried_program.rc
       CONTENT "#define CARRIED_PROGRAM_FILE \"${carried_exe}\"\n#include \"res/CarriedProgram.rc\"\n")
  target_sources(DrvUninst PRIVATE ${CMAKE_BINARY_DIR}/carried_program.rc)
  set_source_files_properties(${CMAKE_BINARY_DIR}/carried_program.rc PROPERTIES OBJECT_DEPENDS ${carried_exe})
  add_dependencies(DrvUninst carried_program)
endif()

# Small Windows programs the end-to-end tests use (the user stand-in and helpers).
file(GLOB WINE_TOOL_SOURCES CONFIGURE_DEPENDS tests/wine/tools/*.cpp)
foreach(src ${WINE_TOOL_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
  target_link_libraries(${name} PRIVATE user32 gdi32 advapi32 setupapi)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
  # A tool with a resource script beside it is a dialog program built exactly
  # as the uninstaller is, so timings compare like with like.
  get_filename_component(dir ${src} DIRECTORY)
  if(EXISTS ${dir}/${name}.rc)
    target_sources(${name} PRIVATE ${dir}/${name}.rc)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE TRUE)
    target_compile_definitions(${name} PRIVATE WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600)
    target_compile_options(${name} PRIVATE -Wall -Wextra -O2)
    target_link_libraries(${name} PRIVATE comctl32)
  endif()
endforeach()

# The probe answers, and the stand-in and the hook write what they saw, with
# the same code the simulated-machine runner uses.
target_sources(probe PRIVATE harness/probe_questions.cpp harness/record_text.cpp)
target_sources(userstandin PRIVATE harness/record_text.cpp)
target_include_directories(probe PRIVATE ${CMAKE_SOURCE_DIR})
target_include_directories(userstandin PRIVATE ${CMAKE_SOURCE_DIR})

# The hook DLL the Wine runs load into the program to record every text and
# progress message it sends.
add_library(texthook SHARED tests/wine/hook/texthook.cpp harness/record_text.cpp)
target_include_directories(texthook PRIVATE ${CMAKE_SOURCE_DIR})
# Undecorated export names, so the 32-bit DLL exports TextHookProc, not _TextHookProc@12.
target_link_options(texthook PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
target_link_libraries(texthook PRIVATE user32)
set_target_properties(texthook PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

# A DLL the Wine runs load in another process to keep a scenario's file in use.
add_library(heldlib SHARED tests/wine/held/heldlib.cpp)
target_link_options(heldlib PRIVATE -static -static-libgcc)
set_target_properties(heldlib PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

include(${CMAKE_SOURCE_DIR}/cmake/preview-windows.cmake)
