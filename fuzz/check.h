// What the fuzz targets share: a check that stops the run with a message
// (libFuzzer then saves the input that broke it) and the resolver answers
// that stand in for the network.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace ostrand::fuzzing {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}

// A few names the fake resolver knows, among them answers that are no
// dotted address at all; every other name fails, as it would offline.
inline std::map<std::string, std::string> ResolverAnswers() {
  return {{"localhost", "127.0.0.1"}, {"example", "93.184.216.34"},
          {"three", "1.2.3"},         {"empty", ""},
          {"odd", "1..3.4"},          {"wide", "300.-1.65536.4:80"}};
}

}  // namespace ostrand::fuzzing

#define FUZZ_CHECK(condition)                                   \
  do {                                                          \
    if (!(condition))                                           \
      ::ostrand::fuzzing::Fail(#condition, __FILE__, __LINE__); \
  } while (false)
