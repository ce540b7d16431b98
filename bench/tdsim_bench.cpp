// Loopback figures for tdsim through Client-Library: the round-trip time of one
// small select, and how many such requests one client gets through per second.
// Prints figures only; nothing is asserted.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "CtClient.h"
#include "TdsimProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

double microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// One request: send, read every result and row, until CS_END_RESULTS.
bool roundTrip(tdsim::e2e::CtClient& client, const char* sql)
{
    if (client.sendLanguage(sql) != CS_SUCCEED) {
        return false;
    }
    return client.drain().back() == CS_END_RESULTS;
}

void measure(tdsim::e2e::CtClient& client, const char* label, const char* sql, int iterations)
{
    for (int i = 0; i < 50; ++i) {  // warm-up
        roundTrip(client, sql);
    }
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(iterations));
    auto start = Clock::now();
    for (int i = 0; i < iterations; ++i) {
        auto before = Clock::now();
        if (!roundTrip(client, sql)) {
            std::printf("%s: request failed\n", label);
            return;
        }
        samples.push_back(microseconds(Clock::now() - before));
    }
    double seconds = microseconds(Clock::now() - start) / 1e6;
    std::sort(samples.begin(), samples.end());
    std::printf("%-28s n=%d  median %.1f us  p99 %.1f us  min %.1f us  %.0f requests/s\n", label,
                iterations, samples[samples.size() / 2], samples[samples.size() * 99 / 100],
                samples.front(), iterations / seconds);
}

}  // namespace

int main(int argc, char** argv)
{
    int iterations = argc > 1 ? std::atoi(argv[1]) : 5000;
    try {
        tdsim::e2e::TdsimProcess server;
        tdsim::e2e::CtClient client;
        if (client.connect("sa", "") != CS_SUCCEED) {
            std::fprintf(stderr, "cannot log in to tdsim\n");
            return 1;
        }
        std::printf("tdsim %s on 127.0.0.1:%d\n", TDSIM_PATH, server.port());
        measure(client, "select @@spid", "select @@spid", iterations);
        measure(client, "select * from demo (5 rows)", "select * from demo", iterations);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tdsim_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
