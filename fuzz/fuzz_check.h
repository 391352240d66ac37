// Shared by the wire decoder fuzz targets: a check that aborts, so libFuzzer reports it.
#pragma once

#include <cstdlib>

namespace zm::fuzz {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace zm::fuzz
