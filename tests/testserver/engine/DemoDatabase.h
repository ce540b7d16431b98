// The demo databases of testdata/, loaded once per test program.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "EngineTestSupport.h"

namespace tdsim::test {

inline std::string readTestData(const std::string& name)
{
    std::ifstream in(std::string(TDSIM_TESTDATA_DIR) + "/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class DemoFixture : public EngineFixture {
protected:
    void SetUp() override
    {
        engine = Engine::create(config, stats);
        std::vector<Message> errors = engine->runScript(readTestData("demo.sql"));
        for (const Message& message : errors) {
            ADD_FAILURE() << "demo.sql: " << message.number << " line " << message.line << ": "
                          << message.text;
        }
        session = engine->openSession("sa", 5);
        run("use demo");
    }

    // All rows as tab-separated text, for whole-result comparisons.
    std::vector<std::string> rows(const std::string& batch)
    {
        std::vector<std::string> out;
        for (const Row& row : query(batch).rows) {
            std::string line;
            for (size_t i = 0; i < row.size(); ++i)
                line += (i ? "\t" : "") + text(row[i]);
            out.push_back(line);
        }
        return out;
    }
    std::string objectId(const std::string& name)
    {
        return scalar("select id from sysobjects where name = '" + name + "'");
    }
};

}  // namespace tdsim::test
