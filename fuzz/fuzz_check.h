// What a fuzz target does when a property fails: it prints the property and
// aborts, which libFuzzer reports as a crash and saves the input for.
#ifndef ROLVEX_FUZZ_FUZZ_CHECK_H_
#define ROLVEX_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                  \
  do {                                                                         \
    if (!(condition)) {                                                        \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, \
                   #condition);                                                \
      std::abort();                                                            \
    }                                                                          \
  } while (false)

#endif  // ROLVEX_FUZZ_FUZZ_CHECK_H_
