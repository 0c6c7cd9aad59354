#pragma once

#include "report/reporterror.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

// A report template: Qr/{name}.html beside the program, HTML with Mustache
// tags over the report's data sources and variables.
//
// Loading prepares the text for the Mustache engine: partials ({{> name}},
// the file partials/name.html beside the template) are put in place, and tag
// names are made lower case, so that tags match fields and sections without
// regard to letter case (PostgreSQL hands back field names in lower case).
// Positions in the prepared text map back to a file, line and column.
//
// Settings are Mustache comments, {{! key: value }}:
//   {{! title: 员工合同档案列表 }}      the report's title ({{reportTitle}})
//   {{! orientation: landscape }}     A4 landscape (portrait otherwise)
//
// A missing template file is an empty template, not an error.
class ReportTemplate
{
public:
    static constexpr int MaxPartialDepth = 8;
    static constexpr int MaxSectionDepth = 64;
    static constexpr qsizetype MaxPreparedLength = 8 * 1024 * 1024;

    ReportTemplate() = default;

    // Qr/{name}.html under the program folder.
    static QString pathOf(const QString &name);
    static ReportTemplate fromFile(const QString &path);
    // A text not yet saved (the designer's); partials come from beside `path`.
    static ReportTemplate fromText(const QString &text, const QString &path);

    QString path() const { return m_path; }
    QString fileName() const;
    bool exists() const { return m_exists; }
    QString source() const { return m_source; }

    bool isValid() const { return m_error.isNull(); }
    const ReportError &error() const { return m_error; }

    // The text for the engine: partials included, tag names in lower case.
    QString prepared() const { return m_prepared; }
    // Every name used in a tag, in lower case, dotted names also in their parts.
    const QSet<QString> &names() const { return m_names; }

    QString setting(const QString &key) const { return m_settings.value(key.toLower()); }
    bool landscape() const;
    QString title() const;   // the title setting, else the file's base name

    // An error at a position of the prepared text, placed in its file.
    ReportError errorAt(qsizetype preparedPos, const QString &message) const;
    // The tag that starts at a position of the prepared text, as its file writes it.
    QString tagAt(qsizetype preparedPos) const;

private:
    struct File {
        QString name;   // as messages show it: "frEmpList.html", "partials/list_head.html"
        QString text;
    };
    struct Span {
        qsizetype at;       // in m_prepared
        qsizetype length;
        int file;
        qsizetype fileAt;
    };

    void prepare();
    bool expand(int file, int depth, QStringList &stack);
    void copyFrom(int file, qsizetype from, qsizetype to);
    void append(int file, qsizetype fileAt, const QString &text);
    ReportError errorInFile(int file, qsizetype fileAt, const QString &message) const;
    bool locate(qsizetype preparedPos, int *file, qsizetype *fileAt) const;
    QString partialDir() const;

    QString m_path;
    bool m_exists = false;
    QString m_source;
    QString m_prepared;
    QVector<File> m_files;
    QVector<Span> m_spans;
    QSet<QString> m_names;
    QHash<QString, QString> m_settings;
    struct OpenSection {
        QString name;        // lower case
        QString tag;         // as written
        qsizetype at;        // in m_prepared
    };
    QVector<OpenSection> m_sections;
    ReportError m_error;
};
