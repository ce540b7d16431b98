// Logins over the wire: the TDS login checks the stored password hash (also one copied
// with `create login ... with encrypted password`) and the lock, and syb_quit() ends
// the connection.
#include <gtest/gtest.h>

#include "CtClient.h"
#include "TdsimProcess.h"

namespace tdsim::e2e {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows runAsSa(CtClient& sa, const std::string& sql)
{
    Rows rows;
    EXPECT_EQ(sa.sendLanguage(sql), CS_SUCCEED);
    std::vector<CS_INT> types = sa.drain(&rows);
    EXPECT_EQ(types.back(), CS_END_RESULTS) << sql;
    return rows;
}

CS_RETCODE connectAs(const std::string& login, const std::string& password)
{
    CtClient client;
    return client.connect(login, password);
}

TEST(MasterLoginsTest, LoginsCheckTheStoredHashAndTheLock)
{
    TdsimProcess server;
    CtClient sa;
    ASSERT_EQ(sa.connect("sa", ""), CS_SUCCEED);
    runAsSa(sa, "create login ann with password 'secret1'");
    EXPECT_EQ(connectAs("ann", "secret1"), CS_SUCCEED);
    EXPECT_EQ(connectAs("ann", "secret2"), CS_FAIL);

    // The hash as the client reads it (hex text) re-creates a login with the same password.
    Rows hash = runAsSa(sa, "select password from master..syslogins where name = 'ann'");
    ASSERT_EQ(hash.size(), 1u);
    runAsSa(sa, "create login ann_copy with encrypted password '0x" + hash[0][0] + "'");
    EXPECT_EQ(connectAs("ann_copy", "secret1"), CS_SUCCEED);
    EXPECT_EQ(connectAs("ann_copy", ""), CS_FAIL);

    runAsSa(sa, "exec sp_locklogin ann, 'lock'");
    EXPECT_EQ(connectAs("ann", "secret1"), CS_FAIL);
    runAsSa(sa, "exec sp_locklogin ann, 'unlock'");
    EXPECT_EQ(connectAs("ann", "secret1"), CS_SUCCEED);
}

TEST(MasterLoginsTest, SybQuitEndsTheConnection)
{
    TdsimProcess server;
    CtClient client;
    ASSERT_EQ(client.connect("sa", ""), CS_SUCCEED);
    Rows rows;
    ASSERT_EQ(client.sendLanguage("select 1 select syb_quit() select 2"), CS_SUCCEED);
    client.drain(&rows);
    EXPECT_EQ(rows, (Rows{{"1"}}));  // the batch ends at syb_quit()
    // The connection is gone: the next batch is not answered.
    rows.clear();
    CS_RETCODE sent = client.sendLanguage("select 3");
    std::vector<CS_INT> types = sent == CS_SUCCEED ? client.drain(&rows) : std::vector<CS_INT>{};
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(sent != CS_SUCCEED || types.back() != CS_END_RESULTS);
}

}  // namespace
}  // namespace tdsim::e2e
