#include "app/configini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool isBlank(const QByteArray &text)
{
    return text.trimmed().isEmpty();
}

// Accepts CRLF, LF and a lone CR, so a file edited anywhere splits the same way.
QList<QByteArray> splitLines(const QByteArray &data)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines.append(data.mid(start, i - start));
        if (c == '\r' && i + 1 < size && data.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(data.mid(start));
    return lines;
}

// A value has to fit on one line and reads back trimmed; normalising it before
// storing keeps memory identical to what a fresh read of the file would give.
QString normalisedValue(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v.trimmed();
}

} // namespace

ConfigIni::ConfigIni(const QString &fileName)
    : m_requestedName(fileName)
{
    Reload();
}

void ConfigIni::Reload()
{
    m_fileName = resolveFileName(m_requestedName);
    load();
}

// Settings files copied from Windows often arrive as CONFIG.INI or Config.ini;
// on a case-sensitive file system such a file must still be found.
QString ConfigIni::resolveFileName(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (info.exists())
        return fileName;
    const QDir dir = info.dir();
    if (!dir.exists())
        return fileName;
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        if (sameName(name, info.fileName()))
            return dir.filePath(name);
    }
    return fileName;
}

void ConfigIni::load()
{
    m_sections.clear();
    m_sections.append(Section());
    m_bom = false;

    // Only regular files: a folder or a device at the path reads as empty.
    if (!QFileInfo(m_fileName).isFile())
        return;
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray data = file.readAll();
    if (data.startsWith(Bom)) {
        data.remove(0, Bom.size());
        m_bom = true;
    }

    const QList<QByteArray> rawLines = splitLines(data);
    for (const QByteArray &raw : rawLines) {
        const QString text = QString::fromUtf8(raw);
        const QString trimmed = text.trimmed();

        if (trimmed.startsWith(QLatin1Char('['))) {
            const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
            if (close > 0) {
                Section section;
                section.name = trimmed.mid(1, close - 1).trimmed();
                section.header = raw;
                m_sections.append(section);
                continue;
            }
        }

        Line line;
        line.text = raw;
        const bool comment = trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        if (!comment && eq > 0) {
            line.key = text.left(eq).trimmed();
            if (!line.key.isEmpty())
                line.value = text.mid(eq + 1).trimmed();
        }
        m_sections.last().lines.append(line);
    }
}

// Sections may repeat; they are searched in file order so the first key wins.
const ConfigIni::Line *ConfigIni::findLine(const QString &section, const QString &key) const
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    for (const Section &s : m_sections) {
        if (!sameName(s.name, sectionName))
            continue;
        for (const Line &line : s.lines) {
            if (!line.key.isEmpty() && sameName(line.key, keyName))
                return &line;
        }
    }
    return nullptr;
}

ConfigIni::Line *ConfigIni::findLine(const QString &section, const QString &key)
{
    return const_cast<Line *>(std::as_const(*this).findLine(section, key));
}

ConfigIni::Section *ConfigIni::findSection(const QString &name)
{
    const QString sectionName = name.trimmed();
    for (Section &s : m_sections) {
        if (sameName(s.name, sectionName))
            return &s;
    }
    return nullptr;
}

QString ConfigIni::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const Line *line = findLine(section, key);
    return line ? line->value : def;
}

int ConfigIni::ReadInteger(const QString &section, const QString &key, int def) const
{
    const Line *line = findLine(section, key);
    if (!line)
        return def;
    bool ok = false;
    const int value = line->value.toInt(&ok, 10);
    return ok ? value : def;
}

bool ConfigIni::ReadBool(const QString &section, const QString &key, bool def) const
{
    const Line *line = findLine(section, key);
    if (!line)
        return def;
    const QString &v = line->value;
    for (const char *word : {"1", "true", "yes", "on"}) {
        if (sameName(v, QLatin1String(word)))
            return true;
    }
    for (const char *word : {"0", "false", "no", "off"}) {
        if (sameName(v, QLatin1String(word)))
            return false;
    }
    return def;
}

bool ConfigIni::WriteString(const QString &section, const QString &key, const QString &value)
{
    return setValue(section, key, value);
}

bool ConfigIni::WriteInteger(const QString &section, const QString &key, int value)
{
    return setValue(section, key, QString::number(value));
}

bool ConfigIni::WriteBool(const QString &section, const QString &key, bool value)
{
    return setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ConfigIni::SectionExists(const QString &section) const
{
    const QString sectionName = section.trimmed();
    for (const Section &s : m_sections) {
        if (!sameName(s.name, sectionName))
            continue;
        // The nameless section has no header; it counts once it holds a key.
        if (!s.header.isEmpty())
            return true;
        for (const Line &line : s.lines) {
            if (!line.key.isEmpty())
                return true;
        }
    }
    return false;
}

bool ConfigIni::ValueExists(const QString &section, const QString &key) const
{
    return findLine(section, key) != nullptr;
}

bool ConfigIni::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString v = normalisedValue(value);

    if (Line *line = findLine(section, key)) {
        // Keep the key's spelling and the spacing up to the value.
        const qsizetype eq = line->text.indexOf('=');
        qsizetype start = eq + 1;
        while (start < line->text.size() && (line->text.at(start) == ' ' || line->text.at(start) == '\t'))
            ++start;
        line->text = line->text.left(start) + v.toUtf8();
        line->value = v;
        return save();
    }

    Line line;
    line.key = key.trimmed();
    line.value = v;
    line.text = line.key.toUtf8() + '=' + v.toUtf8();

    if (Section *s = findSection(section)) {
        // After the section's last key, so trailing blank lines and a comment
        // that introduces the next section stay where they are. A section
        // without keys gets it after the comments right under its header.
        qsizetype at = -1;
        for (qsizetype i = 0; i < s->lines.size(); ++i) {
            if (!s->lines.at(i).key.isEmpty())
                at = i + 1;
        }
        if (at < 0) {
            at = 0;
            while (at < s->lines.size() && !isBlank(s->lines.at(at).text))
                ++at;
        }
        s->lines.insert(at, line);
        return save();
    }

    // A blank line between the old content and the new section, for readability.
    Section &last = m_sections.last();
    const QByteArray lastText = last.lines.isEmpty() ? last.header : last.lines.last().text;
    if (!isBlank(lastText))
        last.lines.append(Line());

    Section created;
    created.name = section.trimmed();
    created.header = '[' + created.name.toUtf8() + ']';
    created.lines.append(line);
    m_sections.append(created);
    return save();
}

bool ConfigIni::save() const
{
    const QFileInfo info(m_fileName);
    if (!QDir().mkpath(info.absolutePath()))
        return false;

    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;

    QByteArray data;
    if (m_bom)
        data += Bom;
    for (const Section &s : m_sections) {
        if (!s.header.isEmpty())
            data += s.header + '\n';
        for (const Line &line : s.lines)
            data += line.text + '\n';
    }
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
