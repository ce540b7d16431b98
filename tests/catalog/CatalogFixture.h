// A tdsim serving the demo database, a connection "db" logged in to it as sa with
// "demo" as its database, and a catalog reader bound to that connection.
#pragma once

#include "CTLibDatabase.h"
#include "CTLibEnhQuery.h"
#include "CTLibObjInfo.h"
#include "ConnectedServer.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QStringList>
#include <memory>

class CatalogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { startServer(); }
    // The demo server started with `serverArgs` and the connection logged in to it.
    static void startServer(const QStringList& serverArgs = {})
    {
        s_demo = std::make_unique<ConnectedServer>(QStringList{demoScriptPath()}, serverArgs,
                                                   [](TdsimServer& server, TCTLibDatabase& db) {
                                                       server.configure(db);
                                                       db.setDbName("demo");
                                                   });
    }
    static void TearDownTestSuite() { s_demo.reset(); }

    void SetUp() override
    {
        info = std::make_unique<TCTLibObjInfo>();
        info->SetName("info");
        info->DbName = "db";
        info->setSelectDb("demo");
    }

    // Runs statements on the connection, as the administrator would before scripting.
    static void execute(const QStringList& lines)
    {
        TCTLibEnhQuery query;
        query.DbName = "db";
        query.setSQL(lines);
        query.ExecSQL();
    }

    static QString demoScriptPath()
    {
        return QStringLiteral(SKELDER_SOURCE_DIR "/testdata/demo.sql");
    }
    static QString demoScript()
    {
        QFile file(demoScriptPath());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    static inline std::unique_ptr<ConnectedServer> s_demo;
    std::unique_ptr<TCTLibObjInfo> info;
};
