// Loading all ten payload items (copy of the stored resource, key stream, unscramble,
// header, inflate into Contents) against bare zlib inflate of the same ten bodies into
// buffers of the right size. Prints the loader's throughput as a share of bare
// inflate's, measured in the same run; the target is at least 0.9.
//
//   bench_payload [google benchmark options]     (images: PENTARO_BENCH_IMAGES)
// Exit code 1 when the share is below $PENTARO_BENCH_MIN_RATIO (default: report only).
#include "engine/payload.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string Stored; // the resource as the exe carries it
    std::string Body;   // the zlib stream, unscrambled
    std::size_t Size = 0;
};

std::vector<Item> LoadImages(const std::string& dir) {
    std::vector<Item> items;
    const std::string key = BuildPayloadKeyStream();
    std::string catalogue = PayloadCatalogue;
    for (std::size_t pos = 0; pos <= catalogue.size();) {
        std::size_t comma = catalogue.find(',', pos);
        if (comma == std::string::npos) comma = catalogue.size();
        std::string name = catalogue.substr(pos, comma - pos);
        pos = comma + 1;
        for (char& c : name)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        const std::string path = dir + "/" + name + ".bin";
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) {
            std::fprintf(stderr, "bench_payload: cannot read %s\n", path.c_str());
            std::exit(2);
        }
        Item item;
        char buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            item.Stored.append(buffer, n);
        std::fclose(f);
        std::string plain = item.Stored;
        tInstItem loaded;
        ReadPayloadImage(key, plain, loaded);
        item.Body = plain.substr(PayloadHeaderSize);
        item.Size = loaded.Contents.size();
        items.push_back(std::move(item));
    }
    return items;
}

std::size_t TotalSize(const std::vector<Item>& items) {
    std::size_t total = 0;
    for (const Item& i : items)
        total += i.Size;
    return total;
}

void Loader(benchmark::State& state, const std::vector<Item>* items) {
    for (auto _ : state) {
        for (const Item& i : *items) {
            tInstItem item;
            const std::string key = BuildPayloadKeyStream();
            std::string image = i.Stored; // a private copy of the resource
            ReadPayloadImage(key, image, item);
            benchmark::DoNotOptimize(item.Contents.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalSize(*items)));
}

void BareInflate(benchmark::State& state, const std::vector<Item>* items) {
    for (auto _ : state) {
        for (const Item& i : *items) {
            std::unique_ptr<Bytef[]> out(new Bytef[i.Size + 1]);
            uLongf length = static_cast<uLongf>(i.Size);
            const int ret =
                uncompress(out.get(), &length, reinterpret_cast<const Bytef*>(i.Body.data()),
                           static_cast<uLong>(i.Body.size()));
            if (ret != Z_OK) state.SkipWithError("zlib failed");
            benchmark::DoNotOptimize(out.get());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalSize(*items)));
}

// Keeps the best (shortest) time per iteration of every benchmark across repetitions.
class Recorder : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const std::string name = r.run_name.function_name;
            const double t = r.GetAdjustedRealTime();
            auto it = best_.find(name);
            if (it == best_.end() || t < it->second) best_[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Best(const std::string& name) const {
        auto it = best_.find(name);
        return it == best_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> best_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const char* dir = std::getenv("PENTARO_BENCH_IMAGES");
    const std::vector<Item> items = LoadImages(dir != nullptr ? dir : PENTARO_BENCH_IMAGES);
    std::printf(
        "ten items: %zu bytes stored, %zu bytes inflated\n",
        [&] {
            std::size_t s = 0;
            for (const Item& i : items)
                s += i.Stored.size();
            return s;
        }(),
        TotalSize(items));

    // Alternate the two so that a busy machine slows both alike.
    benchmark::RegisterBenchmark("BareInflate", BareInflate, &items)->Repetitions(5);
    benchmark::RegisterBenchmark("LoadPayloadItems", Loader, &items)->Repetitions(5);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    benchmark::Shutdown();

    const double bare = recorder.Best("BareInflate"), loader = recorder.Best("LoadPayloadItems");
    if (bare <= 0 || loader <= 0) return 0; // filtered out
    const double ratio = bare / loader;     // throughput share = time ratio inverted
    std::printf("loader throughput / bare inflate throughput: %.3f (target >= 0.9)\n", ratio);
    const char* min = std::getenv("PENTARO_BENCH_MIN_RATIO");
    return min != nullptr && ratio < std::atof(min) ? 1 : 0;
}
