// The settings file on a full disk: a file-size limit makes every write past it fail.
#include "Exceptions.h"
#include "IniFileStore.h"
#include "ToolRun.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QTemporaryDir>
#include <csignal>

namespace {

// Limits the size of files this process writes while it lives; writes past the limit fail
// with EFBIG rather than raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = nullptr;
};

TEST(SettingsFaults, AFullDiskRaisesAndKeepsTheSettingsFile)
{
    QTemporaryDir work;
    const QString path = work.filePath("Skelder.ini");
    const QByteArray earlier = "[Login]\nUserName=sa\n";
    ASSERT_TRUE(writeText(path, earlier));
    TIniFileStore store(path);
    {
        FileSizeLimit limit(64);
        EXPECT_THROW(store.WriteString("Login", "Comment", QString(200, QLatin1Char('x'))),
                     ESkelderError);
    }
    EXPECT_EQ(readText(path).toUtf8(), earlier);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Skelder.ini"});
}

}  // namespace
