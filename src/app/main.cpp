#include "app/globals.h"
#include "app/startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--create-database") == 0) {
            // No window is needed to make a database.
            QCoreApplication app(argc, argv);
            app.setApplicationName(QStringLiteral("qarvel-hr"));
            const QStringList args = app.arguments();
            const qsizetype at = args.indexOf(QStringLiteral("--create-database"));
            const QString folder = at + 1 < args.size() ? args.at(at + 1) : QString();
            return CreateDatabaseCommand(folder);
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("qarvel-hr                          start the program\n"
                        "qarvel-hr --create-database [DIR]  create a new database (Employee.db in DIR)\n");
            return 0;
        }
    }

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("qarvel-hr"));
    app.setOrganizationName(QStringLiteral("Qarvel"));
    return RunProgram(app);
}
