// tdsim: a TDS 5.0 test server for Skelder's tests, benchmarks and demos.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "SkelderVersion.h"
#include "engine/Engine.h"
#include "tds/Server.h"
#include "tds/Trace.h"

namespace {

const char* const kUsage =
    "usage: tdsim [options]\n"
    "  --port N              TCP port on 127.0.0.1 (0 = any free port; default 0)\n"
    "  --init FILE           run a Transact-SQL script (batches separated by 'go') at start;\n"
    "                        repeatable\n"
    "  --login NAME:PASSWORD add a login (repeatable; sa with an empty password always exists)\n"
    "  --server-name NAME    the server's name in messages and @@servername (default TDSIM)\n"
    "  --charset iso_1|utf8  the server character set (default iso_1)\n"
    "  --product ase|sqlanywhere\n"
    "                        the product imitated (default ase); sqlanywhere adds the\n"
    "                        login DBA/sql, takes the database from the login record\n"
    "                        and offers that product's catalog\n"
    "  --latency-ms N        delay every reply by N milliseconds\n"
    "  --trace FILE          append every request and reply token to FILE\n"
    "  -h, --help            show this text\n"
    "  --version             show the version\n"
    "The first line on standard output is 'listening on 127.0.0.1:PORT'.\n";

struct Options {
    int port = 0;
    std::vector<std::string> initScripts;
    tdsim::EngineConfig engine;
    int latencyMs = 0;
    std::string traceFile;
};

bool parseNumber(const std::string& text, int low, int high, int& out)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= low && out <= high;
}

// Returns false (after printing why) when the command line is not usable.
bool parseOptions(int argc, char** argv, Options& options, std::string& answerOnly)
{
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") {
            answerOnly = kUsage;
            return true;
        }
        if (flag == "--version") {
            answerOnly = "tdsim (Skelder) " SKELDER_VERSION "\n";
            return true;
        }
        if (i + 1 >= argc) {
            std::cerr << "tdsim: " << flag << " needs a value\n" << kUsage;
            return false;
        }
        std::string value = argv[++i];
        bool ok = true;
        if (flag == "--port") {
            ok = parseNumber(value, 0, 65535, options.port);
        } else if (flag == "--init") {
            options.initScripts.push_back(value);
        } else if (flag == "--login") {
            auto colon = value.find(':');
            ok = colon != std::string::npos && colon > 0;
            if (ok) {
                options.engine.logins.emplace_back(value.substr(0, colon), value.substr(colon + 1));
            }
        } else if (flag == "--server-name") {
            ok = !value.empty() && value.size() <= 30;
            options.engine.serverName = value;
        } else if (flag == "--charset") {
            ok = value == "iso_1" || value == "utf8";
            options.engine.charset = value;
        } else if (flag == "--product") {
            ok = value == "ase" || value == "sqlanywhere";
            options.engine.product = value == "sqlanywhere" ? tdsim::Product::SqlAnywhere
                                                            : tdsim::Product::AdaptiveServer;
        } else if (flag == "--latency-ms") {
            ok = parseNumber(value, 0, 600000, options.latencyMs);
        } else if (flag == "--trace") {
            options.traceFile = value;
        } else {
            std::cerr << "tdsim: unknown option " << flag << "\n" << kUsage;
            return false;
        }
        if (!ok) {
            std::cerr << "tdsim: bad value for " << flag << ": " << value << "\n";
            return false;
        }
    }
    return true;
}

bool runInitScripts(tdsim::Engine& engine, const std::vector<std::string>& paths)
{
    bool ok = true;
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::cerr << "tdsim: cannot read " << path << "\n";
            return false;
        }
        std::stringstream text;
        text << in.rdbuf();
        for (const tdsim::Message& m : engine.runScript(text.str())) {
            std::cerr << "tdsim: " << path << ": Msg " << m.number << ", Level " << m.severity
                      << ": " << m.text << (m.text.empty() || m.text.back() != '\n' ? "\n" : "");
            ok = ok && m.severity <= 10;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    std::string answerOnly;  // --help or --version: print and stop
    if (!parseOptions(argc, argv, options, answerOnly)) {
        return 2;
    }
    if (!answerOnly.empty()) {
        std::cout << answerOnly;
        return 0;
    }
    // Signals are taken synchronously by the main thread; every other thread
    // inherits the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    if (options.engine.product == tdsim::Product::SqlAnywhere) {
        // The product's documented default login.
        options.engine.logins.emplace_back("DBA", "sql");
    }
    try {
        tdsim::ServerStats stats;
        std::unique_ptr<tdsim::Engine> engine = tdsim::Engine::create(options.engine, stats);
        if (!runInitScripts(*engine, options.initScripts)) {
            return 1;
        }
        tdsim::tds::Trace trace =
            options.traceFile.empty() ? tdsim::tds::Trace() : tdsim::tds::Trace(options.traceFile);
        tdsim::tds::ServerContext context{*engine,
                                          stats,
                                          trace,
                                          options.engine.serverName,
                                          options.engine.charset,
                                          std::chrono::milliseconds(options.latencyMs),
                                          options.engine.product};
        tdsim::tds::Server server(context, static_cast<uint16_t>(options.port));
        std::cout << "listening on 127.0.0.1:" << server.port() << std::endl;
        std::thread acceptor([&server] { server.run(); });
        int received = 0;
        sigwait(&stopSignals, &received);
        // Batches under way end first, so that every connection thread can be joined.
        engine->stop();
        server.stop();
        acceptor.join();
        std::cerr << "tdsim: stopped by signal " << received << "\n";
    } catch (const std::exception& e) {
        std::cerr << "tdsim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
