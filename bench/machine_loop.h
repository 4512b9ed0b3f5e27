// The loop every benchmark shares: a machine built outside the timed region
// before each run, the work timed, the cost reported per item.
#pragma once

#include <benchmark/benchmark.h>

#include "bench/bench_machine.h"

template <typename Build, typename Work>
void TimeOnFreshMachines(benchmark::State& state, Build build, Work work) {
  const int items = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    build(items);
    EvictCaches();
    state.ResumeTiming();
    work();
  }
  ReportPerItem(state, items);
}
