// Simulated machines of a chosen size for the benchmarks: many unrelated
// devices and class instances, and a package that owns a few of them (or,
// for the all-removed cases, every one).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>

// Registers the benchmark once per machine size (100 to 100,000 items),
// with fewer runs the larger the machine.
void RegisterOnMachineSizes(const std::string& name, const std::function<void(benchmark::State&)>& run);

enum class Share { kFew, kAll };

// A fresh machine (Windows 7) and the package's profile, with no device and
// no class instance yet.
void FreshNtMachine();
// The same on Windows 98.
void Fresh9xMachine();

// count present devices under the NT Enum key; kFew makes a handful the
// package's.
void AddNtDevices(int count, Share share);
// count instances under the NT media class key.
void AddNtClassInstances(int count, Share share);
// count instances under the 9x media class key, and count devices under the
// 9x Enum branches, the package's enumeration keys among them.
void Add9xMachineItems(int count, Share share);

// The package's Uninstall entry is still there.
bool PackageEntryLeft();

// Pushes the machine out of the CPU caches: the program runs once, on a
// registry it has not read before, at every size alike.
void EvictCaches();

// Reports the items handled per iteration: items per second and the time
// per item.
void ReportPerItem(benchmark::State& state, int64_t items);
