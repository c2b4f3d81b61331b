// Cost of one location lookup on the real database: opened per call, as the
// window does, and through the in-memory file, as the command line does.
// Database: $OSTRAND_DB, or data/QQWry.dat (scripts/get-database).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "ipdb/db_file.h"
#include "ipdb/lookup.h"

namespace {

std::string DatabasePath() {
  const char* env = std::getenv("OSTRAND_DB");
  return env != nullptr ? env : OSTRAND_SOURCE_DIR "/data/QQWry.dat";
}

const std::vector<std::string>& Addresses() {
  static const std::vector<std::string> addresses = [] {
    std::mt19937 random(20240117);
    std::vector<std::string> list;
    for (int i = 0; i < 10000; ++i) {
      const std::uint32_t v = random();
      list.push_back(std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 255) + "." +
                     std::to_string((v >> 8) & 255) + "." + std::to_string(v & 255));
    }
    return list;
  }();
  return addresses;
}

void BM_LookupOpenedPerCall(benchmark::State& state) {
  const std::string path = DatabasePath();
  if (!ostrand::OpenFileForReading(path).IsOpen()) {
    state.SkipWithError(("no database at " + path).c_str());
    return;
  }
  std::size_t i = 0;
  for (auto _ : state) {
    std::string address = Addresses()[i++ % Addresses().size()];
    benchmark::DoNotOptimize(ostrand::LookupLocation(address, &path));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupOpenedPerCall)->Unit(benchmark::kMicrosecond);

// The same lookups, file opened per call, each read one positional read of
// just the bytes asked for: what the block cache saves.
void BM_LookupOpenedPerCallUncached(benchmark::State& state) {
  const std::string path = DatabasePath();
  if (!ostrand::OpenFileForReading(path).IsOpen()) {
    state.SkipWithError(("no database at " + path).c_str());
    return;
  }
  std::size_t i = 0;
  for (auto _ : state) {
    std::string address = Addresses()[i++ % Addresses().size()];
    ostrand::DbFile file = ostrand::OpenFileForReading(path);
    file.cacheBlocks = false;
    benchmark::DoNotOptimize(ostrand::LookupLocationIn(file, address));
    ostrand::CloseFile(file);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupOpenedPerCallUncached)->Unit(benchmark::kMicrosecond);

void BM_LookupInMemory(benchmark::State& state) {
  std::string content;
  if (!ostrand::ReadWholeFile(DatabasePath(), content)) {
    state.SkipWithError("no database");
    return;
  }
  ostrand::DbFile file = ostrand::OpenMemoryFile(
      reinterpret_cast<const unsigned char*>(content.data()), content.size());
  std::size_t i = 0;
  for (auto _ : state) {
    std::string address = Addresses()[i++ % Addresses().size()];
    benchmark::DoNotOptimize(ostrand::LookupLocationIn(file, address));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupInMemory)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
