#include "app/configini.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestConfigIni : public QObject
{
    Q_OBJECT

private slots:
    void reading_data();
    void reading();
    void defaults_data();
    void defaults();
    void readInteger_data();
    void readInteger();
    void readBool_data();
    void readBool();
    void writeReadsBackFromFile();
    void rewrite_data();
    void rewrite();
    void unwritable_data();
    void unwritable();
    void fileNameCase_data();
    void fileNameCase();
    void reload();
    void exists();

private:
    QTemporaryDir m_dir;
};

void TestConfigIni::reading_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QString def = QStringLiteral("<default>");
    QTest::newRow("section and key lower-case") << QByteArray("[Config]\nCurOperName=张三\n")
                                                << "config" << "curopername" << "张三";
    QTest::newRow("section and key upper-case") << QByteArray("[config]\ncuropername=x\n")
                                                << "CONFIG" << "CUROPERNAME" << "x";
    QTest::newRow("blanks around names and =") << QByteArray("[ Config ]\n  Cur Oper  =  value  \n")
                                               << "Config" << "Cur Oper" << "value";
    QTest::newRow("Chinese names") << QByteArray("[系统]\n用户 = 李四\n") << "系统" << "用户" << "李四";
    QTest::newRow("trailing separator kept") << QByteArray("[a]\npath = C:/data/ \n") << "a" << "path" << "C:/data/";
    QTest::newRow("empty value is not the default") << QByteArray("[a]\nk=\n") << "a" << "k" << "";
    QTest::newRow("missing key") << QByteArray("[a]\nother=1\n") << "a" << "k" << def;
    QTest::newRow("missing section") << QByteArray("[a]\nk=1\n") << "b" << "k" << def;
    QTest::newRow("key belongs to its own section") << QByteArray("[a]\nk=1\n[b]\n") << "b" << "k" << def;
    QTest::newRow("nameless section") << QByteArray("k=top\n[a]\nk=in a\n") << "" << "k" << "top";
    QTest::newRow("named after nameless") << QByteArray("k=top\n[a]\nk=in a\n") << "a" << "k" << "in a";
    QTest::newRow("comments are not keys") << QByteArray("[a]\n;k=1\n#k=2\n   ; k=3\n") << "a" << "k" << def;
    QTest::newRow("key after comment") << QByteArray("[a]\n; note\nk=3\n") << "a" << "k" << "3";
    QTest::newRow("= inside value") << QByteArray("[a]\nk=a=b\n") << "a" << "k" << "a=b";
    QTest::newRow("; inside value") << QByteArray("[a]\nk=x ; not a comment\n") << "a" << "k" << "x ; not a comment";
    QTest::newRow("first duplicate wins") << QByteArray("[a]\nk=first\nK=second\n") << "a" << "k" << "first";
    QTest::newRow("repeated section") << QByteArray("[a]\nx=1\n[b]\n[A]\nk=later\n") << "a" << "k" << "later";
    QTest::newRow("BOM") << QByteArray("\xEF\xBB\xBF[a]\nk=v\n") << "a" << "k" << "v";
    QTest::newRow("CRLF") << QByteArray("[a]\r\nk=v\r\nz=w\r\n") << "a" << "k" << "v";
    QTest::newRow("lone CR") << QByteArray("[a]\rk=v\rz=w\r") << "a" << "z" << "w";
    QTest::newRow("no final line break") << QByteArray("[a]\nk=v") << "a" << "k" << "v";
    QTest::newRow("garbage line ignored") << QByteArray("[a]\njunk line\n=orphan\nk=v\n") << "a" << "k" << "v";
    QTest::newRow("broken header is no section") << QByteArray("[a]\n[b\nk=v\n") << "a" << "k" << "v";
}

void TestConfigIni::reading()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const QString path = m_dir.filePath(QStringLiteral("reading.ini"));
    writeBytes(path, content);
    const ConfigIni ini(path);
    const QString value = ini.ReadString(section, key, QStringLiteral("<default>"));
    QCOMPARE(value, expected);
    QCOMPARE(value.isNull(), false);
}

void TestConfigIni::defaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");

    QByteArray binary;
    for (int i = 0; i < 1024; ++i)
        binary.append(char((i * 7) & 0xff));

    QTest::newRow("missing") << "missing" << QByteArray();
    QTest::newRow("empty") << "file" << QByteArray();
    QTest::newRow("only BOM") << "file" << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("garbage text") << "file" << QByteArray("this is not an ini file\n{ \"a\": 1 }\n");
    QTest::newRow("binary") << "file" << binary;
    QTest::newRow("invalid UTF-8") << "file" << QByteArray("\xff\xfe\xc3[\x80" "Config]\xc0\n");
    QTest::newRow("folder at the path") << "folder" << QByteArray();
}

void TestConfigIni::defaults()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    if (kind == QLatin1String("file"))
        writeBytes(path, content);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));

    const ConfigIni ini(path);
    QCOMPARE(ini.ReadString(QStringLiteral("Config"), QStringLiteral("CurOperName"), QStringLiteral("def")),
             QStringLiteral("def"));
    QCOMPARE(ini.ReadInteger(QStringLiteral("Config"), QStringLiteral("Count"), 7), 7);
    QCOMPARE(ini.ReadBool(QStringLiteral("Config"), QStringLiteral("Flag"), true), true);
    QVERIFY(!ini.SectionExists(QStringLiteral("Config")));

    // Reading never writes.
    if (kind == QLatin1String("missing"))
        QVERIFY(!QFile::exists(path));
    else if (kind == QLatin1String("file"))
        QCOMPARE(readBytes(path), content);
}

void TestConfigIni::readInteger_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");

    const int def = -99;
    QTest::newRow("plain") << "42" << 42;
    QTest::newRow("blanks") << "  -7  " << -7;
    QTest::newRow("plus sign") << "+5" << 5;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("leading zeros are decimal") << "010" << 10;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << int(-2147483648LL);
    QTest::newRow("overflow") << "2147483648" << def;
    QTest::newRow("empty") << "" << def;
    QTest::newRow("word") << "abc" << def;
    QTest::newRow("trailing letters") << "12abc" << def;
    QTest::newRow("fraction") << "1.5" << def;
    QTest::newRow("hex") << "0x10" << def;
    QTest::newRow("inner blank") << "1 000" << def;
}

void TestConfigIni::readInteger()
{
    QFETCH(QString, value);
    QFETCH(int, expected);

    const QString path = m_dir.filePath(QStringLiteral("integer.ini"));
    writeBytes(path, "[a]\nn=" + value.toUtf8() + "\n");
    const ConfigIni ini(path);
    QCOMPARE(ini.ReadInteger(QStringLiteral("a"), QStringLiteral("n"), -99), expected);
    QCOMPARE(ini.ReadInteger(QStringLiteral("a"), QStringLiteral("missing"), -99), -99);
}

void TestConfigIni::readBool_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("def");
    QTest::addColumn<bool>("expected");

    // Recognised words override a default of the opposite value.
    for (const char *word : {"1", "true", "TRUE", "Yes", "on", "On"})
        QTest::addRow("%s", word) << QString::fromLatin1(word) << false << true;
    for (const char *word : {"0", "false", "False", "NO", "off", "OFF"})
        QTest::addRow("%s", word) << QString::fromLatin1(word) << true << false;
    // Anything else gives the default, whichever it is.
    for (const char *word : {"", "2", "-1", "y", "n", "maybe", "truex"}) {
        QTest::addRow("'%s' default true", word) << QString::fromLatin1(word) << true << true;
        QTest::addRow("'%s' default false", word) << QString::fromLatin1(word) << false << false;
    }
}

void TestConfigIni::readBool()
{
    QFETCH(QString, value);
    QFETCH(bool, def);
    QFETCH(bool, expected);

    const QString path = m_dir.filePath(QStringLiteral("bool.ini"));
    writeBytes(path, "[a]\nb = " + value.toUtf8() + " \n");
    const ConfigIni ini(path);
    QCOMPARE(ini.ReadBool(QStringLiteral("a"), QStringLiteral("b"), def), expected);
}

void TestConfigIni::writeReadsBackFromFile()
{
    QTemporaryDir dir;
    // The parent folders do not exist yet.
    const QString path = dir.filePath(QStringLiteral("sub/folder/config.ini"));
    {
        ConfigIni ini(path);
        QVERIFY(ini.WriteString(QStringLiteral("Config"), QStringLiteral("CurOperName"), QStringLiteral("张三")));
        QVERIFY(ini.WriteInteger(QStringLiteral("config"), QStringLiteral("Count"), -12));
        QVERIFY(ini.WriteBool(QStringLiteral("CONFIG"), QStringLiteral("On"), true));
        QVERIFY(ini.WriteBool(QStringLiteral("Config"), QStringLiteral("Off"), false));
        QVERIFY(ini.WriteString(QStringLiteral("Config"), QStringLiteral("curopername"), QStringLiteral("李四")));
        QCOMPARE(ini.fileName(), path);
    }

    QCOMPARE(readBytes(path), QByteArray("[Config]\nCurOperName=李四\nCount=-12\nOn=1\nOff=0\n"));

    const ConfigIni fresh(path);
    QCOMPARE(fresh.ReadString(QStringLiteral("config"), QStringLiteral("CURopername")), QStringLiteral("李四"));
    QCOMPARE(fresh.ReadInteger(QStringLiteral("Config"), QStringLiteral("count")), -12);
    QCOMPARE(fresh.ReadBool(QStringLiteral("Config"), QStringLiteral("On"), false), true);
    QCOMPARE(fresh.ReadBool(QStringLiteral("Config"), QStringLiteral("Off"), true), false);
}

void TestConfigIni::rewrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("existing key keeps spelling, spacing and place")
        << QByteArray("; head\n[Config]\nCurOperName = old\nOther=1\n") << "config" << "curopername" << "new"
        << QByteArray("; head\n[Config]\nCurOperName = new\nOther=1\n");
    QTest::newRow("new key after the section's last key")
        << QByteArray("[a]\nx=1\n\n; network\n[net]\nh=2\n") << "A" << "y" << "3"
        << QByteArray("[a]\nx=1\ny=3\n\n; network\n[net]\nh=2\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[a]\n; about a\n\n[b]\n") << "a" << "k" << "v"
        << QByteArray("[a]\n; about a\nk=v\n\n[b]\n");
    QTest::newRow("new section at the end")
        << QByteArray("[a]\nx=1") << "New Section" << "k" << "v"
        << QByteArray("[a]\nx=1\n\n[New Section]\nk=v\n");
    QTest::newRow("new section after a blank line")
        << QByteArray("[a]\nx=1\n\n") << "b" << "k" << "v"
        << QByteArray("[a]\nx=1\n\n[b]\nk=v\n");
    QTest::newRow("empty file") << QByteArray() << "Config" << "k" << "v" << QByteArray("[Config]\nk=v\n");
    QTest::newRow("nameless section")
        << QByteArray("; top\n[a]\n") << "" << "k" << "v" << QByteArray("; top\nk=v\n[a]\n");
    QTest::newRow("first duplicate is updated")
        << QByteArray("[a]\nk=1\nK=2\n") << "a" << "k" << "9" << QByteArray("[a]\nk=9\nK=2\n");
    QTest::newRow("key in a repeated section")
        << QByteArray("[a]\nx=1\n[b]\n[A]\nk=1\n") << "a" << "k" << "2"
        << QByteArray("[a]\nx=1\n[b]\n[A]\nk=2\n");
    QTest::newRow("comments, garbage and invalid UTF-8 survive")
        << QByteArray("#c\n[a]\njunk \xff\xfe here\n  ; indented\n\n[broken\nk=1\n") << "a" << "k" << "2"
        << QByteArray("#c\n[a]\njunk \xff\xfe here\n  ; indented\n\n[broken\nk=2\n");
    QTest::newRow("BOM kept, CRLF becomes LF")
        << QByteArray("\xEF\xBB\xBF[a]\r\nk=1\r\n") << "a" << "k" << "2" << QByteArray("\xEF\xBB\xBF[a]\nk=2\n");
    QTest::newRow("line break cannot inject a key")
        << QByteArray() << "a" << "k" << "one\nb=two" << QByteArray("[a]\nk=one b=two\n");
    QTest::newRow("value trimmed as a read would")
        << QByteArray("[a]\nk=1\n") << "a" << "k" << "  C:/data/  " << QByteArray("[a]\nk=C:/data/\n");
}

void TestConfigIni::rewrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    const QString path = m_dir.filePath(QStringLiteral("rewrite.ini"));
    writeBytes(path, before);
    ConfigIni ini(path);
    QVERIFY(ini.WriteString(section, key, value));
    QCOMPARE(readBytes(path), after);

    // What the object remembers matches what a fresh read of the file gives.
    const ConfigIni fresh(path);
    QCOMPARE(ini.ReadString(section, key), fresh.ReadString(section, key));
}

void TestConfigIni::unwritable_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("parent is a file") << "parent file";
    QTest::newRow("folder at the path") << "folder";
    QTest::newRow("read-only folder") << "read-only";
}

void TestConfigIni::unwritable()
{
    QFETCH(QString, kind);

    QTemporaryDir dir;
    QString path;
    if (kind == QLatin1String("parent file")) {
        writeBytes(dir.filePath(QStringLiteral("plain.txt")), "x");
        path = dir.filePath(QStringLiteral("plain.txt/config.ini"));
    } else if (kind == QLatin1String("folder")) {
        path = dir.filePath(QStringLiteral("config.ini"));
        QVERIFY(QDir().mkdir(path));
    } else {
        const QString folder = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(folder));
        path = folder + QStringLiteral("/config.ini");
        writeBytes(path, "[a]\nk=old\n");
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QFile probe(folder + QStringLiteral("/probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("permissions are not enforced for this user");
        }
    }

    ConfigIni ini(path);
    QVERIFY(!ini.WriteString(QStringLiteral("a"), QStringLiteral("k"), QStringLiteral("new")));
    QVERIFY(!ini.WriteInteger(QStringLiteral("a"), QStringLiteral("n"), 5));
    QVERIFY(!ini.WriteBool(QStringLiteral("b"), QStringLiteral("f"), true));
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k")), QStringLiteral("new"));
    QCOMPARE(ini.ReadInteger(QStringLiteral("a"), QStringLiteral("n")), 5);
    QCOMPARE(ini.ReadBool(QStringLiteral("b"), QStringLiteral("f")), true);
    QVERIFY(ini.SectionExists(QStringLiteral("b")));

    if (kind == QLatin1String("read-only")) {
        QCOMPARE(readBytes(path), QByteArray("[a]\nk=old\n"));
        QFile::setPermissions(QFileInfo(path).path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

void TestConfigIni::fileNameCase_data()
{
    QTest::addColumn<QStringList>("files");    // each holds k=<its own name>
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("read");

    QTest::newRow("only a differently cased file")
        << QStringList{"CONFIG.INI"} << QStringList() << "CONFIG.INI" << "CONFIG.INI";
    QTest::newRow("mixed case") << QStringList{"Config.Ini", "other.ini"} << QStringList() << "Config.Ini"
                                << "Config.Ini";
    QTest::newRow("exact name wins") << QStringList{"CONFIG.INI", "config.ini"} << QStringList() << "config.ini"
                                     << "config.ini";
    QTest::newRow("no such file") << QStringList{"config.ini.bak"} << QStringList() << "config.ini" << "";
    QTest::newRow("folders are not files") << QStringList() << QStringList{"CONFIG.INI"} << "config.ini" << "";
}

void TestConfigIni::fileNameCase()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QString, used);
    QFETCH(QString, read);

    QTemporaryDir dir;
    for (const QString &name : files)
        writeBytes(dir.filePath(name), "[a]\nk=" + name.toUtf8() + "\n");
    for (const QString &name : folders)
        QVERIFY(QDir().mkdir(dir.filePath(name)));

    ConfigIni ini(dir.filePath(QStringLiteral("config.ini")));
    QCOMPARE(ini.fileName(), dir.filePath(used));
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k")), read);

    // The write goes to the same file; no second file appears.
    QVERIFY(ini.WriteString(QStringLiteral("a"), QStringLiteral("w"), QStringLiteral("1")));
    QStringList expected = files;
    if (!expected.contains(used))
        expected.append(used);
    expected.sort();
    QCOMPARE(filesIn(dir.path()), expected);
    QCOMPARE(ConfigIni(dir.filePath(used)).ReadString(QStringLiteral("a"), QStringLiteral("w")), QStringLiteral("1"));
}

void TestConfigIni::reload()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    ConfigIni ini(path);

    // A file that appears later, under another letter case, is found on reload.
    const QString upper = dir.filePath(QStringLiteral("CONFIG.INI"));
    writeBytes(upper, "[a]\nk=1\n");
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k")), QString());
    ini.Reload();
    QCOMPARE(ini.fileName(), upper);
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k")), QStringLiteral("1"));

    writeBytes(upper, "[a]\nk=2\n");
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k")), QStringLiteral("1"));
    ini.Reload();
    QCOMPARE(ini.ReadString(QStringLiteral("a"), QStringLiteral("k")), QStringLiteral("2"));

    QVERIFY(QFile::remove(upper));
    ini.Reload();
    QVERIFY(!ini.ValueExists(QStringLiteral("a"), QStringLiteral("k")));
}

void TestConfigIni::exists()
{
    const QString path = m_dir.filePath(QStringLiteral("exists.ini"));
    writeBytes(path, "; only a comment up here\n[A]\nx=\n[Empty]\n");
    ConfigIni ini(path);
    QVERIFY(ini.SectionExists(QStringLiteral("a")));
    QVERIFY(ini.SectionExists(QStringLiteral("EMPTY")));
    QVERIFY(!ini.SectionExists(QStringLiteral("missing")));
    QVERIFY(!ini.SectionExists(QString()));
    QVERIFY(ini.ValueExists(QStringLiteral("a"), QStringLiteral("X")));
    QVERIFY(!ini.ValueExists(QStringLiteral("a"), QStringLiteral("y")));
    QVERIFY(!ini.ValueExists(QStringLiteral("empty"), QStringLiteral("x")));

    QVERIFY(ini.WriteString(QString(), QStringLiteral("top"), QStringLiteral("1")));
    QVERIFY(ini.SectionExists(QString()));
}

QTEST_GUILESS_MAIN(TestConfigIni)
#include "tst_configini.moc"
