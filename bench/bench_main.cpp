// Benchmark driver. Cases that run emulated time set the counter
// "emulated_s" (emulated seconds, as a rate); the driver prints each such
// figure on a line of its own as a multiple of real time.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class RealTimeReporter : public benchmark::ConsoleReporter {
public:
    RealTimeReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            auto it = run.counters.find("emulated_s");
            if (it != run.counters.end())
                lines.push_back(run.benchmark_name() + ": " + format(it->second.value));
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const std::string &line : lines)
            std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

private:
    static std::string format(double x)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.1fx real time", x);
        return text;
    }
    std::vector<std::string> lines;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RealTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
