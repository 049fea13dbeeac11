// What every fuzz target does when an invariant breaks: says which, and stops the run.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace tevra::fuzz {

inline void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "invariant broken: %s\n", invariant);
  std::abort();
}

}  // namespace tevra::fuzz
