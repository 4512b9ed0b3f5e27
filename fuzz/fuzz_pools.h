// The fixed tables a fuzz case picks from, shared by the machine builder,
// the profile writer and the seed generator (not by the oracle's rules).
#pragma once

#include <string>
#include <vector>

namespace fuzzcase {

extern const char* const kPool[];      // names: hardware IDs, descriptions, files, keys, titles
extern const char* const kKeys[];      // profile keys; a list key ends in '#'
extern const char* const kHexCounts[]; // count texts, every edge of HexToInt
extern const char* const kVersions[];
extern const char* const kProcessNames[];

struct FaultApi {
  const char* api;
  std::vector<unsigned long> errors;  // what that call really returns
};
extern const std::vector<FaultApi> kFaultApis;
extern const std::vector<FaultApi> kRestartFaultApis;

int PoolIndex(const std::string& name);  // -1 when not in the pool
int KeyIndex(const std::string& key);
int HexIndex(const std::string& text);
int VersionIndex(const std::string& name);
int FaultApiIndex(const std::string& api);

}  // namespace fuzzcase
