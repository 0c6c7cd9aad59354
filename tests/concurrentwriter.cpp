// Writes rows into a database as a second workstation would, for the test of
// several programs saving to one SQLite file at once.
//   concurrentwriter DATAFOLDER COUNT TAG
// Each round saves one row: even rounds in a write transaction that reads
// before it writes (the pattern that deadlocks with a plain BEGIN), odd rounds
// as a single statement. Exits 0 when every save succeeded.
#include "app/database.h"
#include "app/writetransaction.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace {

// Returns the number of saves that failed.
int writeRounds(const QSqlDatabase &db, int count, const QString &tag)
{
    const QString insert = QStringLiteral("insert into t_code(F_type,F_name) values(:t,:n)");
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const QVariantMap values{{QStringLiteral(":t"), tag}, {QStringLiteral(":n"), QString::number(i)}};
        bool ok;
        QString why;
        if (i % 2 == 0) {
            ok = WriteTransaction::run(db, [&](WriteTransaction &tx) {
                QSqlQuery q(tx.database());
                q.prepare(QStringLiteral("select count(*) from t_code where F_type = :t"));
                q.bindValue(QStringLiteral(":t"), tag);
                if (!tx.exec(q) || !q.next())
                    return false;
                return tx.exec(insert, values);
            }, &why);
        } else {
            QSqlQuery q(db);
            q.prepare(insert);
            BindValues(q, values);
            ok = q.exec();
            if (!ok)
                why = q.lastError().text();
        }
        if (!ok) {
            ++failures;
            std::fprintf(stderr, "round %d: %s\n", i, qPrintable(why));
        }
    }
    return failures;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: concurrentwriter DATAFOLDER COUNT TAG\n");
        return 2;
    }
    DbSettings settings;
    settings.dataFolder = args[1].endsWith(u'/') ? args[1] : args[1] + u'/';
    settings.defaultFolder = false;
    const Database::Result opened = Database::open(settings, false);
    if (!opened.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.message));
        return 3;
    }
    const int failures = writeRounds(QSqlDatabase::database(Database::ConnectionName), args[2].toInt(), args[3]);
    Database::close();
    return failures == 0 ? 0 : 1;
}
