// Runs every benchmark, then writes build/bench/summary.json (one number per metric, the
// targets and the machine) and prints a readable table.
#include <benchmark/benchmark.h>

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Collected {
    std::string name;
    double items_per_second = 0;
    double real_seconds = 0;
    std::map<std::string, double> counters;
};

// Keeps every run while printing as usual.
class Collector : public benchmark::ConsoleReporter {
public:
    std::vector<Collected> runs;
    void ReportRuns(const std::vector<Run>& report) override {
        ConsoleReporter::ReportRuns(report);
        for (const Run& r : report) {
            if (r.error_occurred || r.run_type != Run::RT_Iteration) continue;
            Collected c;
            c.name = r.benchmark_name();
            c.real_seconds = r.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(r.time_unit);
            for (const auto& kv : r.counters) c.counters[kv.first] = kv.second.value;
            auto it = r.counters.find("items_per_second");
            if (it != r.counters.end()) c.items_per_second = it->second.value;
            runs.push_back(c);
        }
    }
    // The best run of a benchmark (highest throughput, or lowest time).
    const Collected* best(const std::string& name, bool by_time = false) const {
        const Collected* b = nullptr;
        for (const Collected& c : runs) {
            if (c.name.rfind(name, 0) != 0) continue;
            if (!b || (by_time ? c.real_seconds < b->real_seconds : c.items_per_second > b->items_per_second)) b = &c;
        }
        return b;
    }
};

std::string machine() {
    std::ostringstream m;
    utsname u{};
    uname(&u);
    std::string cpu;
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("model name", 0) == 0) {
            cpu = line.substr(line.find(':') + 2);
            break;
        }
    long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGE_SIZE);
    m << cpu << ", " << sysconf(_SC_NPROCESSORS_ONLN) << " cores, " << (pages * static_cast<double>(page) / (1 << 30)) << " GiB, " << u.sysname
      << " " << u.release << ", 32-bit build";
    return m.str();
}

struct Metric {
    std::string key;
    double value;
    std::string unit;
    std::string target;  // empty: no target
    bool met;
};

std::string json_escape(const std::string& s) {
    std::string o;
    for (char c : s) {
        if (c == '"' || c == '\\') o += '\\';
        o += c;
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    std::string out_dir = "build/bench";
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--summary-dir=", 0) == 0) out_dir = a.substr(14);
        else args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    std::vector<Metric> metrics;
    const char* sheets[] = {"halftone", "lineart", "adversarial"};
    for (int k = 0; k < 3; ++k) {
        std::string arg = "/" + std::to_string(k);
        const Collected* ours = collector.best("BM_MmrOurs" + arg);
        const Collected* theirs = collector.best("BM_MmrLibtiff" + arg);
        if (!ours || !theirs) continue;
        double ratio = ours->items_per_second / theirs->items_per_second;
        std::string s = sheets[k];
        bool targeted = k < 2;
        metrics.push_back({"mmr_" + s + "_px_per_s", ours->items_per_second, "px/s", "", true});
        metrics.push_back({"mmr_" + s + "_libtiff_px_per_s", theirs->items_per_second, "px/s", "", true});
        metrics.push_back({"mmr_" + s + "_ratio", ratio, "x", targeted ? ">= 4" : "", !targeted || ratio >= 4});
        metrics.push_back({"mmr_" + s + "_same_code_bits", theirs->counters.at("same_bits"), "bool", "1", theirs->counters.at("same_bits") == 1});
        metrics.push_back({"mmr_" + s + "_bytes_per_raw_byte", ours->counters.at("bytes") / (14400.0 * 10800 / 8), "", "", true});
    }
    const char* ht[][2] = {{"BM_Halftone/0/1", "halftone_colour_r1_px_per_s"}, {"BM_Halftone/0/2", "halftone_colour_r2_px_per_s"},
                           {"BM_Halftone/1/1", "halftone_mono_r1_px_per_s"}, {"BM_Halftone/1/2", "halftone_mono_r2_px_per_s"}};
    for (auto& h : ht)
        if (const Collected* c = collector.best(h[0])) {
            bool targeted = std::string(h[1]) == "halftone_colour_r1_px_per_s";
            metrics.push_back({h[1], c->items_per_second, "px/s", targeted ? ">= 5e8" : "", !targeted || c->items_per_second >= 5e8});
        }
    if (const Collected* c = collector.best("BM_ImageE600", true)) {
        double above = c->counters.at("peak_above_start_bytes") - c->counters.at("band_buffer_bytes");
        metrics.push_back({"image_e600_seconds", c->counters.at("seconds"), "s", "< 3", c->counters.at("seconds") < 3});
        metrics.push_back({"image_e600_device_px_per_s", c->counters.at("device_pixels_per_s"), "px/s", "", true});
        metrics.push_back({"image_e600_peak_memory_bytes", c->counters.at("peak_above_start_bytes"), "B", "", true});
        metrics.push_back({"image_e600_band_buffer_bytes", c->counters.at("band_buffer_bytes"), "B", "", true});
        metrics.push_back({"image_e600_peak_above_band_mib", above / (1 << 20), "MiB", "<= 32", above <= 32.0 * (1 << 20)});
    }
    for (int k = 0; k < 2; ++k)
        if (const Collected* c = collector.best("BM_Draws/" + std::to_string(k))) {
            std::string l = k ? "qdpx" : "hpgl";
            metrics.push_back({"vector_" + l + "_draws_per_s", c->items_per_second, "req/s", k ? "" : ">= 2e7", k || c->items_per_second >= 2e7});
            metrics.push_back({"vector_" + l + "_job_bytes_per_vector", c->counters.at("job_bytes_per_vector"), "B", "", true});
        }

    std::ostringstream json;
    json << "{\n  \"machine\": \"" << json_escape(machine()) << "\",\n  \"metrics\": {\n";
    for (size_t i = 0; i < metrics.size(); ++i) {
        const Metric& m = metrics[i];
        json << "    \"" << m.key << "\": {\"value\": " << m.value << ", \"unit\": \"" << m.unit << "\"";
        if (!m.target.empty()) json << ", \"target\": \"" << m.target << "\", \"met\": " << (m.met ? "true" : "false");
        json << "}" << (i + 1 < metrics.size() ? "," : "") << "\n";
    }
    json << "  }\n}\n";
    std::ofstream(out_dir + "/summary.json") << json.str();

    std::printf("\n%-40s %16s %-6s %-8s %s\n", "metric", "value", "unit", "target", "");
    bool all_met = true;
    for (const Metric& m : metrics) {
        std::printf("%-40s %16.4g %-6s %-8s %s\n", m.key.c_str(), m.value, m.unit.c_str(), m.target.c_str(),
                    m.target.empty() ? "" : m.met ? "met" : "NOT MET");
        all_met = all_met && m.met;
    }
    std::printf("\nmachine: %s\nsummary: %s/summary.json\n", machine().c_str(), out_dir.c_str());
    return all_met ? 0 : 3;
}
