#include "TdsimProcess.h"

#include <cstdlib>

namespace tdsim::e2e {

TdsimProcess::TdsimProcess(std::vector<std::string> extraArgs)
    : TdsimTestProcess(extraArgs, {demoInitScript()})
{
    std::string conf = writeFreetdsConf("freetds.conf", kServerEntry);
    ::setenv("FREETDSCONF", conf.c_str(), 1);
}

std::string runCommand(const std::string& command, const std::string& input, int& exitCode)
{
    tdsim::testing::CommandResult result = tdsim::testing::runShellCommand(command, input);
    exitCode = result.exitCode;
    return result.output;
}

std::string demoInitScript()
{
    return "create table demo (id int not null, name varchar(30) null)\n"
           "go\n"
           "insert into demo values (1, 'alpha')\n"
           "insert into demo values (2, 'beta')\n"
           "insert into demo values (3, null)\n"
           "insert into demo values (4, 'delta')\n"
           "insert into demo values (5, 'epsilon')\n"
           "go\n"
           "create table types (c char(5) null, vc varchar(10) null, ti tinyint null,\n"
           "  si smallint null, i int null, b bit not null, dt datetime null,\n"
           "  sdt smalldatetime null, m money null, sm smallmoney null, n numeric(10,2) null,\n"
           "  d decimal(5,0) null, f float null, r real null, t text null, bin binary(4) null,\n"
           "  vb varbinary(8) null)\n"
           "go\n"
           "insert into types values ('ab', '', 255, -2, 123456, 1, '2024-02-29 13:45:30.500',\n"
           "  '2001-12-31 23:59', -1234.5678, 12.5, -12345678.90, 99999, 1.5, 2.5, 'some text',\n"
           "  0x01020304, 0xabcd)\n"
           "insert into types values (null, null, null, null, null, 0, null, null, null, null,\n"
           "  null, null, null, null, null, null, null)\n"
           "go\n"
           "create proc p_double @a int, @b int output as\n"
           "begin\n"
           "  select @a as a\n"
           "  select @b = @a * 2\n"
           "  return 5\n"
           "end\n"
           "go\n";
}

}  // namespace tdsim::e2e
