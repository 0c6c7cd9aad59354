#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The settings file config.ini: INI sections of key = value lines. Section and
// key names are matched without regard to letter case, and every write goes to
// the file at once, so a crash never loses a setting. A missing, empty or
// garbled file reads as all defaults; reading never fails.
class ConfigIni
{
public:
    explicit ConfigIni(const QString &fileName);

    QString fileName() const { return m_fileName; }

    QString ReadString(const QString &section, const QString &key, const QString &def = QString()) const;
    int ReadInteger(const QString &section, const QString &key, int def = 0) const;
    bool ReadBool(const QString &section, const QString &key, bool def = false) const;

    // Each returns false when the file could not be written (the value is kept in memory).
    bool WriteString(const QString &section, const QString &key, const QString &value);
    bool WriteInteger(const QString &section, const QString &key, int value);
    bool WriteBool(const QString &section, const QString &key, bool value);

    bool SectionExists(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;

    // Re-reads the file (another program may have changed it).
    void Reload();

private:
    // Lines keep their bytes as read, so comments, unknown lines and text that is
    // not valid UTF-8 are written back exactly as found.
    struct Line {
        QByteArray text;  // the line without its line break
        QString key;      // empty for comments, blank lines and unknown lines
        QString value;
    };
    struct Section {
        QString name;       // as first written; empty for the lines before any header
        QByteArray header;  // the header line as read; empty for the nameless section
        QVector<Line> lines;
    };

    static QString resolveFileName(const QString &fileName);
    void load();
    const Line *findLine(const QString &section, const QString &key) const;
    Line *findLine(const QString &section, const QString &key);
    Section *findSection(const QString &name);
    bool setValue(const QString &section, const QString &key, const QString &value);
    bool save() const;

    QString m_requestedName;       // as given, resolved again on Reload()
    QString m_fileName;            // the file actually used
    bool m_bom = false;            // written back when the file had one
    QVector<Section> m_sections;   // the first one is always the nameless section
};
