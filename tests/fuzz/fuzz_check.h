// The fuzz targets' assertion: a broken rule aborts with its reason, so libFuzzer keeps the
// input that broke it (a crash) and the corpus replay fails on it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, reason)                                                   \
  do {                                                                                  \
    if (!(condition)) {                                                                 \
      std::fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, reason, #condition); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (0)
