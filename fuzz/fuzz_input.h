// Splits a fuzzer input into texts at "\x00" separators.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> FuzzParts(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::string> parts(count);
  size_t k = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && k + 1 < count) {
      ++k;
    } else if (data[i] != 0) {
      parts[k].push_back(char(data[i]));
    }
  }
  return parts;
}
