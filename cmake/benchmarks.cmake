# The benchmarks on simulated machines of growing size; built only where
# Google Benchmark is installed.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
  add_executable(bench ${BENCH_SOURCES})
  target_link_libraries(bench PRIVATE drvuninst_harness drvuninst_preview benchmark::benchmark benchmark::benchmark_main)
else()
  message(STATUS "Google Benchmark not found: the bench target is not built")
endif()
