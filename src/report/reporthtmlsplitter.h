#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Cuts a report's HTML into the pieces it is laid out in. The text engine
// lays out one long table many times slower than the same rows in short
// tables (5,000 rows: seconds against a fraction of that), so a long table
// at the top level of the body is taken apart into its opening tag, header
// rows, body rows and footer rows, to be laid out in short runs that repeat
// the header. Everything else stays as written, in flow pieces between the
// tables. A table with row spans, or inside another element, is left whole.
class ReportHtmlSplitter
{
public:
    static constexpr int MinRowsToSplit = 40;

    struct Table {
        QString openTag;      // <table ...>
        QString header;       // the header rows (of <thead>, or leading rows of <th> cells)
        QString footer;       // the rows of <tfoot>
        QStringList rows;     // the body rows, each <tr>...</tr>
    };
    struct Part {
        bool isTable = false;
        QString html;         // a flow piece
        int table = -1;       // index into tables
    };
    struct Result {
        QString head;         // everything up to and with <body ...>: styles apply to every piece
        QString tail;         // </body></html>
        QVector<Part> parts;
        QVector<Table> tables;
    };

    static Result split(const QString &html, int minRows = MinRowsToSplit);
};
