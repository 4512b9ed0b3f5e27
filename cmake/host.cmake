# Native build against the simulated machine.
if(DRVUNINST_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra -g)

file(GLOB SIM_SOURCES CONFIGURE_DEPENDS platform/sim/*.cpp)
# A developer may link extra sources of their own while parts are in progress.
set(DRVUNINST_EXTRA_SOURCES "" CACHE STRING "Extra sources for local work")
add_library(drvuninst_core STATIC ${PROGRAM_SOURCES} ${SIM_SOURCES} ${DRVUNINST_EXTRA_SOURCES})
target_include_directories(drvuninst_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(drvuninst_core PUBLIC DRVUNINST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE drvuninst_core GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)

# Every folder of tests/scenarios, for the parts that make a test of each.
file(GLOB scenario_entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/scenarios/*)
set(SCENARIO_DIRS "")
foreach(entry ${scenario_entries})
  if(IS_DIRECTORY ${entry})
    list(APPEND SCENARIO_DIRS ${entry})
  endif()
endforeach()

# The folders whose machine may be a 64-bit Windows (NT family from Windows XP
# on, and not bits=32): the 32-bit build's hand-over is tried on each.
set(NT_SCENARIO_DIRS "")
foreach(entry ${SCENARIO_DIRS})
  set(machine_text "")
  if(EXISTS ${entry}/machine.ini)
    file(READ ${entry}/machine.ini machine_text)
  endif()
  string(TOLOWER "${machine_text}" machine_text)
  if(NOT machine_text MATCHES "(^|\n)[ \t]*version[ \t]*=[ \t]*(win95|win98|winme|nt40|win2k)([ \t;]|\n|$)" AND
     NOT machine_text MATCHES "(^|\n)[ \t]*bits[ \t]*=[ \t]*32")
    list(APPEND NT_SCENARIO_DIRS ${entry})
  endif()
endforeach()

# The scenario runner and the end-to-end tests under Wine.
foreach(part scenarios sweep wine-tests pe-tests wine-compare generated preview installed benchmarks fuzz layout)
  if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/${part}.cmake)
    include(${CMAKE_SOURCE_DIR}/cmake/${part}.cmake)
  endif()
endforeach()
