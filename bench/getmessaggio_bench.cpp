// One translation's worth of lookups: 400 keys of the shipped language table, read as the
// program does (the table is checked against the disk on every lookup).
#include "config/ConfigPc.h"
#include "config/GetMessage_11.h"
#include "platform/fs/ProgramFolder.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> KeysOfTable() {
    std::ifstream in(platform::ProgramFolder() + NomeFileLingue, std::ios::binary);
    std::vector<std::string> keys;
    std::string line;
    while (std::getline(in, line)) keys.push_back(line.substr(0, line.find(';')));
    return keys;
}

void BM_Translation400Lookups(benchmark::State& state) {
    ConfigPc.Lingua = 1;
    const auto keys = KeysOfTable();
    if (keys.empty()) {
        state.SkipWithError("Lingue.csv not found beside the benchmark");
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < 400; ++i) benchmark::DoNotOptimize(GetMessaggio(keys[std::size_t(i) % keys.size()]));
    }
    state.counters["keys_in_table"] = double(keys.size());
}
BENCHMARK(BM_Translation400Lookups)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
