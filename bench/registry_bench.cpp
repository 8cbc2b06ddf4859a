// Lookups in a registry folder of many registrations: the first reads every
// file, the ones after read only what changed (one stat per file).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "runtime/registry.h"

namespace {

namespace fs = std::filesystem;

// A registry of `count` servers, each file written as a writer would.
class Registry {
public:
    explicit Registry(int count) {
        char pattern[] = "/tmp/sarn-registry-bench-XXXXXX";
        if (!::mkdtemp(pattern)) std::abort();
        dir_ = pattern;
        fs::create_directories(dir_ / "registry.d");
        for (int i = 0; i < count; ++i) {
            const std::string id = "ID" + std::to_string(i);
            rt::ServerRegistration r{"/usr/lib/server" + std::to_string(i) + ".so", {id, "1.0", "0", "Server", ""}, {}};
            r.classes.push_back({"C" + id, "Server" + std::to_string(i) + ".Thing", r.server, "Apartment"});
            std::ofstream(dir_ / "registry.d" / rt::serverFileName("Server", id)) << rt::serverFileText(r);
        }
    }
    ~Registry() { fs::remove_all(dir_); }
    std::string location() const { return (dir_ / "registry").string(); }

private:
    fs::path dir_;
};

void LookupAgain(benchmark::State& state) {
    Registry registry(static_cast<int>(state.range(0)));
    const std::string location = registry.location();
    rt::readRegistry(location, false);  // the first lookup reads every file
    for (auto _ : state) benchmark::DoNotOptimize(rt::readRegistry(location, false));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LookupAgain)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void FirstLookup(benchmark::State& state) {
    std::optional<Registry> registry;
    for (auto _ : state) {
        state.PauseTiming();
        registry.reset();
        registry.emplace(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        benchmark::DoNotOptimize(rt::readRegistry(registry->location(), false));
    }
}
BENCHMARK(FirstLookup)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
