// Both directions of Visit(): reading a case from fuzz bytes with
// FuzzedDataProvider, and writing a case as the bytes that read back to it.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_case.h"

namespace fuzzcase {

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : fdp_(data, size) {}
  void Int(int* value, int lo, int hi) { *value = fdp_.ConsumeIntegralInRange<int>(lo, hi); }
  void Str(std::string* text, size_t max) { *text = fdp_.ConsumeRandomLengthString(max); }

 private:
  FuzzedDataProvider fdp_;
};

// FuzzedDataProvider takes strings from the front and integers from the back,
// most significant byte first; this lays them out the same way.
class Writer {
 public:
  void Int(int* value, int lo, int hi) {
    const uint64_t range = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo);
    const uint64_t offset = static_cast<uint64_t>(static_cast<int64_t>(*value) - lo);
    int bytes = 0;
    while (bytes * 8 < 32 && (range >> (bytes * 8)) > 0) ++bytes;
    for (int i = bytes - 1; i >= 0; --i) back_.push_back(static_cast<uint8_t>(offset >> (i * 8)));
  }
  void Str(std::string* text, size_t max) {
    const std::string value = text->substr(0, max);
    for (char c : value) {
      front_ += c;
      if (c == '\\') front_ += c;
    }
    if (value.size() < max) front_ += "\\e";
  }
  std::string Bytes() const {
    std::string out = front_;
    for (auto it = back_.rbegin(); it != back_.rend(); ++it) out += static_cast<char>(*it);
    return out;
  }

 private:
  std::string front_;
  std::vector<uint8_t> back_;  // in the order they are consumed
};

}  // namespace fuzzcase
