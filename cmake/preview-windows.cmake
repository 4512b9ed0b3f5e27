# DrvUninstPreview.exe: the uninstaller's code and the simulated machine,
# built for Windows with the simulated declarations. Every simulated Win32
# function is renamed Sim<name> by a forced include, so the program's calls
# land in the simulated machine while the machine reader, built apart with
# the real <windows.h>, calls the real, read-only functions.
file(STRINGS ${CMAKE_SOURCE_DIR}/platform/sim/win32_api.h api_lines REGEX "^[A-Za-z_][A-Za-z0-9_ *]* [*]?[A-Za-z_][A-Za-z0-9_]*\\(")
set(sim_names "// Generated from platform/sim/win32_api.h: simulated Win32 names.\n#pragma once\n")
foreach(line IN LISTS api_lines)
  if(line MATCHES "^inline ")
    continue()
  endif()
  string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*)\\(" call "${line}")
  string(APPEND sim_names "#define ${CMAKE_MATCH_1} Sim${CMAKE_MATCH_1}\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/preview/sim_names.h CONTENT "${sim_names}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/sim/win32_api.h)

# The simulated machine reads the dialog template and the carried program's
# id from the resource scripts; the preview carries the scripts inside it.
set(embedded "struct EmbeddedResourceScript {\n  const char* name;\n  const char* text;\n};\n")
string(APPEND embedded "static const EmbeddedResourceScript kEmbeddedResourceScripts[] = {\n")
foreach(script DrvUninst.rc CarriedProgram.rc)
  file(READ ${CMAKE_SOURCE_DIR}/res/${script} text)
  string(APPEND embedded "    {\"res/${script}\", R\"rc(${text})rc\"},\n")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/${script})
endforeach()
string(APPEND embedded "};\n")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/preview/resource_script.h CONTENT "${embedded}" @ONLY)

file(GLOB PREVIEW_SIM_SOURCES CONFIGURE_DEPENDS platform/sim/*.cpp image/*.cpp preview/*.cpp)
list(FILTER PREVIEW_SIM_SOURCES EXCLUDE REGEX "/MachineReader\\.cpp$")
add_library(preview_simulated OBJECT ${PROGRAM_SOURCES} ${PREVIEW_SIM_SOURCES})
target_include_directories(preview_simulated PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(preview_simulated PRIVATE DRVUNINST_SIMULATED
  DRVUNINST_EMBEDDED_RESOURCE_SCRIPT="${CMAKE_BINARY_DIR}/preview/resource_script.h")
target_compile_options(preview_simulated PRIVATE -Wall -Wextra -O2 -include ${CMAKE_BINARY_DIR}/preview/sim_names.h)

add_executable(DrvUninstPreview $<TARGET_OBJECTS:preview_simulated> preview/MachineReader.cpp)
target_include_directories(DrvUninstPreview PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_definitions(DrvUninstPreview PRIVATE WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600)
target_compile_options(DrvUninstPreview PRIVATE -Wall -Wextra -O2)
target_link_options(DrvUninstPreview PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(DrvUninstPreview PRIVATE setupapi advapi32 user32)
set_target_properties(DrvUninstPreview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Support staff run it on customers' PCs, from wherever they copied it.
drvuninst_shipped_program(DrvUninstPreview)
