// Helpers for driving the engine directly in tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"

namespace tdsim::test {

class EngineFixture : public ::testing::Test {
protected:
    // Severity 11, yet the object is created: a warning, not an error.
    static constexpr int kMissingDependencyWarning = 2007;

    void SetUp() override
    {
        engine = Engine::create(config, stats);
        session = engine->openSession("sa", 17);
    }

    // Runs a batch and expects no error messages; returns all statement results.
    std::vector<StatementResult> run(const std::string& batch)
    {
        auto results = session->execute(batch);
        for (const auto& result : results) {
            for (const auto& message : result.messages) {
                if (message.number != kMissingDependencyWarning) {
                    EXPECT_LE(message.severity, 10)
                        << message.number << ": " << message.text << "\nin: " << batch;
                }
            }
        }
        return results;
    }

    // The first result set of a batch.
    ResultSet query(const std::string& batch)
    {
        for (auto& result : run(batch)) {
            if (result.resultSet)
                return *result.resultSet;
        }
        ADD_FAILURE() << "no result set from: " << batch;
        return {};
    }

    // The first error message of a batch (number 0 when none).
    Message error(const std::string& batch)
    {
        for (const auto& result : session->execute(batch)) {
            for (const auto& message : result.messages) {
                if (message.severity > 10)
                    return message;
            }
        }
        return Message{0, 0, 0, "", "", 0};
    }

    // Column values of a result as text, for compact comparisons.
    static std::string text(const Value& value)
    {
        if (value.isNull)
            return "NULL";
        if (!value.bytes.empty())
            return value.bytes;
        return std::to_string(value.intValue);
    }
    std::vector<std::string> column(const std::string& batch, size_t index = 0)
    {
        std::vector<std::string> values;
        for (const Row& row : query(batch).rows)
            values.push_back(text(row.at(index)));
        return values;
    }
    std::string scalar(const std::string& batch)
    {
        ResultSet set = query(batch);
        if (set.rows.empty())
            return "<no rows>";
        return text(set.rows[0].at(0));
    }

    // The rows of a batch's first result set, each as its values separated by blanks.
    std::vector<std::string> rows(const std::string& batch)
    {
        std::vector<std::string> out;
        for (const Row& row : query(batch).rows) {
            std::string line;
            for (size_t i = 0; i < row.size(); ++i)
                line += (i ? " " : "") + text(row[i]);
            out.push_back(line);
        }
        return out;
    }
    std::string id(const std::string& name)
    {
        return scalar("select id from sysobjects where name = '" + name + "'");
    }

    EngineConfig config;
    ServerStats stats;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<Session> session;
};

// The engine with a fresh user database db1 in use.
class UserDatabaseFixture : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        run("create database db1");
        run("use db1");
    }
};

}  // namespace tdsim::test
