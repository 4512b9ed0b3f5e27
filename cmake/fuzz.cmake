# The fuzz target (clang, libFuzzer, ASan and UBSan): the whole program on the
# simulated machine, held to the collateral-damage oracle. Configure with the
# fuzz preset.
option(DRVUNINST_FUZZ "Build the fuzz target (needs clang)" OFF)
if(NOT DRVUNINST_FUZZ)
  return()
endif()

# Coverage feedback for everything the runs go through.
foreach(lib drvuninst_core drvuninst_image drvuninst_harness)
  target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link)
endforeach()
# The simulated machine's own comparisons (its name lookups, its parsers) give
# the fuzzer nothing to aim at and cost a tenth of a run: edge coverage only.
set_source_files_properties(${SIM_SOURCES} PROPERTIES COMPILE_OPTIONS -fno-sanitize-coverage=trace-cmp)

set(FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
add_library(drvuninst_fuzzcase STATIC ${FUZZ_DIR}/fuzz_pools.cpp ${FUZZ_DIR}/machine_builder.cpp)
target_link_libraries(drvuninst_fuzzcase PUBLIC drvuninst_harness)

add_executable(drvuninst_fuzz ${FUZZ_DIR}/fuzz_target.cpp)
target_compile_options(drvuninst_fuzz PRIVATE -fsanitize=fuzzer)
target_link_options(drvuninst_fuzz PRIVATE -fsanitize=fuzzer)
target_link_libraries(drvuninst_fuzz PRIVATE drvuninst_fuzzcase)

add_executable(drvuninst_fuzz_seeds ${FUZZ_DIR}/make_seeds.cpp)
target_link_libraries(drvuninst_fuzz_seeds PRIVATE drvuninst_fuzzcase)

# New inputs of the bounded session go to the build tree, never to the
# committed corpus.
set(FUZZ_WORK ${CMAKE_BINARY_DIR}/fuzz-work)
file(MAKE_DIRECTORY ${FUZZ_WORK})
add_test(NAME fuzz.corpus COMMAND drvuninst_fuzz -runs=0 ${FUZZ_DIR}/corpus)
# An input slower than a second, or a target past 2 GB, is a find like a crash.
add_test(NAME fuzz.session
         COMMAND drvuninst_fuzz -max_total_time=60 -max_len=4096 -timeout=1 -rss_limit_mb=2048
                 -print_final_stats=1 ${FUZZ_WORK} ${FUZZ_DIR}/corpus)
set_tests_properties(fuzz.corpus fuzz.session PROPERTIES LABELS fuzz TIMEOUT 300)
# Short allocation stacks in the session (as scripts/fuzz-long): recording
# thirty frames for every allocation was a fifth of its time.
set_tests_properties(fuzz.session PROPERTIES ENVIRONMENT ASAN_OPTIONS=malloc_context_size=2)
