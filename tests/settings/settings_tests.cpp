#include "AppSettings.h"
#include "IniFileStore.h"
#include "IniStrings.h"
#include "RecordingUserInterface.h"
#include "RegAuto.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

namespace {

QString readFile(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

void writeFile(const QString& path, const QString& text)
{
    writeBytes(path, text.toUtf8());
}

class IniFileStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Skelder.ini"));
    TIniFileStore store{path};
};

TEST_F(IniFileStoreTest, BooleansAreStoredAsDigitsAndReadAsIntegers)
{
    store.WriteBool("Config", "Add DROP", true);
    EXPECT_EQ(readFile(path), QStringLiteral("[Config]\nAdd DROP=1\n"));
    EXPECT_TRUE(store.ReadBool("Config", "Add DROP", false));

    store.WriteString("Config", "Add DROP", "2");
    EXPECT_TRUE(store.ReadBool("Config", "Add DROP", false));
    store.WriteString("Config", "Add DROP", "abc");
    EXPECT_FALSE(store.ReadBool("Config", "Add DROP", false));
    EXPECT_TRUE(store.ReadBool("Config", "Add DROP", true));
    store.WriteString("Config", "Add DROP", "0");
    EXPECT_FALSE(store.ReadBool("Config", "Add DROP", true));
}

TEST_F(IniFileStoreTest, IntegersAcceptHexadecimalAndFallBackToTheDefault)
{
    writeFile(path, "[Config]\nhex=0x1F\nHEX2=0X10\nneg=-12\nbad=12abc\n");
    EXPECT_EQ(store.ReadInteger("Config", "hex", 0), 31);
    EXPECT_EQ(store.ReadInteger("Config", "hex2", 0), 16);
    EXPECT_EQ(store.ReadInteger("Config", "neg", 0), -12);
    EXPECT_EQ(store.ReadInteger("Config", "bad", 7), 7);
    EXPECT_EQ(store.ReadInteger("Config", "missing", 250), 250);
}

TEST_F(IniFileStoreTest, SectionsAndKeysIgnoreCaseAndValuesStayAsWritten)
{
    writeFile(path, "[other]\nkey=wrong\n[CONFIG]\nWorking Directory=C:\\Temp\\a=b\n");
    EXPECT_EQ(store.ReadString("config", "working directory", "x"), "C:\\Temp\\a=b");
    EXPECT_EQ(store.ReadString("config", "key", "default"), "default");
    EXPECT_EQ(store.ReadString("nosection", "key", "default"), "default");
}

TEST_F(IniFileStoreTest, WritesReplaceOrExtendTheSectionAndKeepOtherLines)
{
    writeFile(path, "; comment\n[Config]\nA=1\nB=2\n\n[Next]\nC=3\n");
    store.WriteString("config", "b", "two");
    store.WriteString("Config", "D", "4");
    store.WriteString("New", "E", "5");
    EXPECT_EQ(readFile(path), "; comment\n[Config]\nA=1\nb=two\nD=4\n\n[Next]\nC=3\n[New]\nE=5\n");
}

TEST_F(IniFileStoreTest, ValuesWithLineBreaksAreQuotedAndReadBackWhole)
{
    writeFile(path, "[Config]\nA=1\n[Next]\nC=3\n");
    const QString value = "first\n[Next]\nB=injected\r\nlast \\ \"q\"";
    store.WriteString("Config", "Server Name", value);
    store.WriteString("Config", "Server Name", value);
    store.WriteString("Config", "A", "2");
    EXPECT_EQ(readFile(path),
              "[Config]\nA=2\n"
              "Server Name=\"first\\n[Next]\\nB=injected\\r\\nlast \\\\ \\\"q\\\"\"\n"
              "[Next]\nC=3\n");
    EXPECT_EQ(store.ReadString("Config", "Server Name", ""), value);
    EXPECT_EQ(store.ReadString("Next", "B", "none"), "none");

    // Quotes alone are not an encoding: such values are stored as written, unless they
    // would read back as an encoded value.
    store.WriteString("Config", "Quoted", "\"x\"");
    store.WriteString("Config", "Path", "\"C:\\new\"");
    EXPECT_EQ(store.ReadString("Config", "Quoted", ""), "\"x\"");
    EXPECT_EQ(store.ReadString("Config", "Path", ""), "\"C:\\new\"");
    EXPECT_TRUE(readFile(path).contains("\nQuoted=\"x\"\n"));
}

TEST_F(IniFileStoreTest, LinesAWriteDoesNotChangeKeepTheirBytes)
{
    // Latin-1 text and CR LF line ends, as another program may have written them.
    writeBytes(path,
               "; r\xe9sum\xe9 of the options\r\n[Config]\r\nUser Name=Ren\xe9\r\nA=1\r\n"
               "[Caf\xe9]\r\nB=2");
    store.WriteString("Config", "A", "2");
    store.WriteString("Config", "New", "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(readBytes(path),
              "; r\xe9sum\xe9 of the options\r\n[Config]\r\nUser Name=Ren\xe9\r\nA=2\r\n"
              "New=\xc3\xa9t\xc3\xa9\r\n[Caf\xe9]\r\nB=2");
    store.WriteString("Other", "C", "3");
    EXPECT_TRUE(readBytes(path).endsWith("[Caf\xe9]\r\nB=2\r\n[Other]\r\nC=3\r\n"));
    EXPECT_EQ(store.ReadString("Config", "A", ""), "2");
}

TEST_F(IniFileStoreTest, LongValuesAreCutOnReading)
{
    store.WriteString("Config", "long", QString(3000, QLatin1Char('x')));
    EXPECT_EQ(store.ReadString("Config", "long", "").size(), TIniFileStore::MaxValueLength);
}

TEST_F(IniFileStoreTest, AFailedWriteNamesTheFile)
{
    const QString blocked = dir.filePath("file-not-dir");
    writeFile(blocked, "x");
    TIniFileStore unwritable(blocked + "/Skelder.ini");
    try {
        unwritable.WriteString("Config", "A", "1");
        FAIL() << "no error raised";
    } catch (const ESkelderError& error) {
        EXPECT_EQ(error.message(), "Unable to write to " + blocked + "/Skelder.ini");
    }
}

TEST(IniFileStorePath, RelativeNamesLiveInTheConfigurationDirectory)
{
    const QString configDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(TIniFileStore::resolvePath("Skelder.ini"), configDir + "/Skelder.ini");
    EXPECT_EQ(TIniFileStore::resolvePath("/etc/x.ini"), "/etc/x.ini");
}

TEST(IniStrings, NewKeysGoBeforeTheEmptyLineThatEndsTheSection)
{
    QStringList lines{"[Config]", "A=1", "", "[Other]", "B=2"};
    TIniStrings ini(lines);
    ini.WriteString("Config", "C", "3");
    EXPECT_EQ(lines, QStringList({"[Config]", "A=1", "C=3", "", "[Other]", "B=2"}));
    ini.WriteString("other", "b", "two");
    EXPECT_EQ(lines.last(), "b=two");
    ini.WriteString("Third", "D", "4");
    EXPECT_EQ(lines.mid(lines.size() - 3), QStringList({"", "[Third]", "D=4"}));
}

TEST(IniStrings, KeysAreComparedWhole)
{
    QStringList lines{"[Config]", "UserName=sa"};
    TIniStrings ini(lines);
    ini.WriteString("Config", "User", "bob");
    EXPECT_EQ(lines, QStringList({"[Config]", "UserName=sa", "User=bob"}));
    EXPECT_EQ(ini.ReadString("Config", "User", ""), "bob");
    EXPECT_EQ(ini.ReadString("config", "username", ""), "sa");
}

TEST(IniStrings, ReadsSkipEmptyLinesAndStopAtTheNextSection)
{
    QStringList lines{"[config]", "", "A=1", "[Next]", "B=2"};
    TIniStrings ini(lines);
    EXPECT_EQ(ini.ReadString("Config", "A", ""), "1");
    EXPECT_EQ(ini.ReadString("Config", "B", "none"), "none");
}

TEST(IniStrings, BooleansAndIntegersHaveTheirOwnEncoding)
{
    QStringList lines{"[S]", "a= yes ", "b=On", "c=1", "d=2", "e=true", "hex=0x1F"};
    TIniStrings ini(lines);
    EXPECT_TRUE(ini.ReadBool("S", "a", false));
    EXPECT_TRUE(ini.ReadBool("S", "b", false));
    EXPECT_TRUE(ini.ReadBool("S", "c", false));
    EXPECT_FALSE(ini.ReadBool("S", "d", true));
    EXPECT_FALSE(ini.ReadBool("S", "e", true));
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));
    EXPECT_EQ(ini.ReadInteger("S", "hex", 5), 5);
}

// A component with nested object and plain properties for the property paths.
class FontObject : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Size MEMBER Size)
    Q_PROPERTY(QString Name MEMBER Name)
public:
    int Size = 8;
    QString Name = "Courier New";
};

class EditObject : public QObject {
    Q_OBJECT
    Q_PROPERTY(FontObject* Font READ font)
    Q_PROPERTY(QString Text MEMBER Text)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(bool Checked MEMBER Checked)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
public:
    explicit EditObject(QObject* parent) : QObject(parent) { m_font.setParent(this); }
    FontObject* font() { return &m_font; }
    QString Text;
    double Ratio = 0.5;
    bool Checked = false;
    QStringList Lines;

private:
    FontObject m_font;
};

class RegAutoTest : public ::testing::Test {
protected:
    RegAutoTest()
    {
        owner.setObjectName("Form1");
        owner.setProperty("Caption", QString());
        edit->setObjectName("Edit1");
        store.UseReg = false;
        store.UseIni = true;
        store.IniFile = dir.filePath("props.ini");
    }

    QTemporaryDir dir;
    QObject owner;
    EditObject* edit = new EditObject(&owner);
    TRegAuto store{&owner};
};

TEST_F(RegAutoTest, TheLastOpenStoreAnswersEvenWithoutTheKey)
{
    store.WriteString("Config", "Key", "ini");
    store.UseStr = true;
    EXPECT_EQ(store.ReadString("Config", "Key", "default"), "default");
    store.UseStr = false;
    EXPECT_EQ(store.ReadString("Config", "Key", "default"), "ini");
}

TEST_F(RegAutoTest, WritesGoToEveryOpenStore)
{
    store.UseStr = true;
    store.WriteInteger("Config", "Width", 300);
    EXPECT_EQ(store.IniStrings, QStringList({"", "[Config]", "Width=300"}));
    store.UseStr = false;
    EXPECT_EQ(store.ReadInteger("Config", "Width", 0), 300);
}

TEST_F(RegAutoTest, PropertyPathsDescendIntoObjectsAndNameTheOwner)
{
    edit->font()->Size = 12;
    edit->Text = "hello";
    edit->Ratio = 2.25;
    edit->Checked = true;
    store.Props = QStringList{"Edit1.Font.Size", "Edit1.Text",       "Edit1.Ratio",
                              "Edit1.Checked",   "Form1.objectName", "Edit1.Font.Size.Ignored",
                              "Nobody.Text",     "Edit1.Missing",    "Edit1.Lines",
                              "Edit1.Font"};
    store.Save();
    const QString text = readFile(store.IniFile);
    EXPECT_EQ(text,
              "[Form1]\nEdit1.Font.Size=12\nEdit1.Text=hello\nEdit1.Ratio=2.25\n"
              "Edit1.Checked=1\n.objectName=Form1\nEdit1.Font.Size.Ignored=12\n");

    edit->font()->Size = 1;
    edit->Text.clear();
    edit->Ratio = 0;
    edit->Checked = false;
    store.Load();
    EXPECT_EQ(edit->font()->Size, 12);
    EXPECT_EQ(edit->Text, "hello");
    EXPECT_DOUBLE_EQ(edit->Ratio, 2.25);
    EXPECT_TRUE(edit->Checked);
}

TEST_F(RegAutoTest, SectionOverridesTheOwnerName)
{
    store.Section = "Saved";
    store.Props = QStringList{"Edit1.Text"};
    edit->Text = "x";
    store.Save();
    EXPECT_EQ(readFile(store.IniFile), "[Saved]\nEdit1.Text=x\n");
}

TEST_F(RegAutoTest, SaveShowsAFailingPropertyAndGoesOn)
{
    RecordingUserInterface ui;
    QCoreApplication::setApplicationName("Skelder");
    const QString blocked = dir.filePath("blocked");
    writeFile(blocked, "x");
    store.IniFile = blocked + "/props.ini";
    store.Props = QStringList{"Edit1.Text", "Edit1.Ratio"};
    int afterSave = 0;
    store.AfterSave = [&](QObject* sender) {
        EXPECT_EQ(sender, &store);
        ++afterSave;
    };
    store.Save();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].title, "Skelder");
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("TRegAuto: проблемы c Edit1.Text"));
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Error);
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("TRegAuto: проблемы c Edit1.Ratio"));
    EXPECT_EQ(afterSave, 1);
}

TEST_F(RegAutoTest, LoadWrapsAFailureAndSkipsAfterLoad)
{
    // The registry store refuses a float that is not a number.
    store.UseIni = false;
    store.UseReg = true;
    store.RegPath = "Software\\SkelderTest\\" + QUuid::createUuid().toString(QUuid::Id128);
    store.Props = QStringList{"Edit1.Ratio"};
    store.WriteString("Form1", "Edit1.Ratio", "abc");
    bool afterLoad = false;
    store.AfterLoad = [&](QObject*) { afterLoad = true; };
    try {
        store.Load();
        FAIL() << "no error raised";
    } catch (const ERegAutoError& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("Проблемы c TRegAuto'abc' is not a valid floating point value"));
    }
    EXPECT_FALSE(afterLoad);
}

TEST_F(RegAutoTest, RegistryStoreKeepsStringsPerKeyPath)
{
    store.UseIni = false;
    store.UseReg = true;
    store.RegPath = "Software\\SkelderTest\\" + QUuid::createUuid().toString(QUuid::Id128);
    store.WriteBool("Config", "Flag", true);
    store.WriteString("Config", "Name", "value");
    EXPECT_TRUE(store.ReadBool("Config", "Flag", false));
    EXPECT_EQ(store.ReadString("Config", "Name", ""), "value");
    EXPECT_EQ(store.ReadString("Other", "Name", "none"), "none");
}

TEST_F(RegAutoTest, WindowPlacementNeedsAWidgetOwner)
{
    store.setSaveWindowPlace(true);
    EXPECT_FALSE(store.saveWindowPlace());
}

// The application's settings store, set up as the program sets it up, in a directory of
// its own.
class AppSettingsTest : public ::testing::Test {
protected:
    AppSettingsTest() { configureSettingsStore(store); }

    QTemporaryDir dir;
    QObject owner;
    TRegAuto store{&owner};
};

TEST_F(AppSettingsTest, DefaultsApplyWithoutASettingsFile)
{
    store.IniFile = dir.filePath("missing.ini");
    TAppSettings settings;
    settings.WorkDir = "changed";
    settings.Options.AddDrop = false;
    settings.Load(store);
    EXPECT_EQ(settings.WorkDir, TAppSettings::defaultWorkDir());
    EXPECT_TRUE(settings.Options.AddDrop);
    EXPECT_TRUE(settings.Options.PrefixWithDb);
    EXPECT_FALSE(settings.Options.SeparateFiles || settings.Options.TriggerScript ||
                 settings.Options.IndexScript || settings.Options.PrivilegeScript);
    EXPECT_FALSE(settings.Append);
    EXPECT_EQ(settings.ServerName, "DSQUERY");
    EXPECT_EQ(settings.UserName, "sa");
    EXPECT_EQ(settings.ExplorerWidth, 250);
    EXPECT_EQ(settings.Options.extension(ObjectKind::DataTypes), "udt");
    EXPECT_FALSE(QFile::exists(store.IniFile));
}

TEST_F(AppSettingsTest, SavesEveryKeyInOrder)
{
    store.IniFile = dir.filePath("Skelder.ini");
    TAppSettings settings;
    settings.WorkDir = "/work";
    settings.Options.SeparateFiles = true;
    settings.Options.extension(ObjectKind::Tables) = "";
    settings.ExplorerWidth = 310;
    settings.CommandTimeout = 45;
    settings.Save(store);
    EXPECT_EQ(readFile(store.IniFile),
              "[Config]\nWorking directory=/work\nUsers Ext=usr\nGroups Ext=grp\nTables Ext=\n"
              "Views Ext=vew\nIndexes Ext=idx\nTriggers Ext=trg\nProcs Ext=prc\nRules Ext=rul\n"
              "Data Types Ext=udt\nAdd DROP=1\nSeperate files=1\nTrigger Script=0\n"
              "Index Script=0\nPrivilege Script=0\nPrefix Db Name=1\nAppend=0\n"
              "Server Name=DSQUERY\nUser Name=sa\nExplorer Width=310\n"
              "Login Timeout=30\nCommand Timeout=45\nLogins Ext=lgn\nRoles Ext=rol\n"
              "Databases Ext=dbs\nDevices Ext=dev\nRemote Servers Ext=srv\n"
              "Configuration Ext=cfg\nPassword Placeholders=0\nDevice Directory=\n");
    TAppSettings reread;
    reread.Load(store);
    EXPECT_EQ(reread.WorkDir, "/work");
    EXPECT_TRUE(reread.Options.SeparateFiles);
    EXPECT_EQ(reread.Options.extension(ObjectKind::Tables), "");
    EXPECT_EQ(reread.ExplorerWidth, 310);
    EXPECT_EQ(reread.CommandTimeout, 45);
}

TEST_F(AppSettingsTest, ATimeoutThatIsNotAPositiveNumberReadsAsTheDefault)
{
    store.IniFile = dir.filePath("Skelder.ini");
    QFile file(store.IniFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Config]\nLogin Timeout=0\nCommand Timeout=soon\n");
    file.close();
    TAppSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.LoginTimeout, 30);
    EXPECT_EQ(settings.CommandTimeout, 600);
}

TEST_F(AppSettingsTest, LineBreaksInSavedNamesKeepOneSectionOverRepeatedSaves)
{
    store.IniFile = dir.filePath("Skelder.ini");
    TAppSettings settings;
    settings.WorkDir = "/srv/two\nlines";
    settings.ServerName = "SRV\r\n[Config]\nUser Name=intruder";
    settings.Save(store);
    settings.Save(store);
    settings.Save(store);
    const QStringList lines = readFile(store.IniFile).split(QLatin1Char('\n'));
    EXPECT_EQ(lines.count("[Config]"), 1) << readFile(store.IniFile).toStdString();
    // The section line, thirty keys and the empty text after the last line end.
    EXPECT_EQ(lines.size(), 32);
    TAppSettings reread;
    reread.Load(store);
    EXPECT_EQ(reread.WorkDir, settings.WorkDir);
    EXPECT_EQ(reread.ServerName, settings.ServerName);
    EXPECT_EQ(reread.UserName, "sa");
}

}  // namespace

#include "settings_tests.moc"
