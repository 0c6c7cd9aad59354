#include "app/startup.h"

#include "access/accesscommands.h"
#include "access/tfrmoperlogin.h"
#include "admin/dictionarycommands.h"
#include "app/apppaths.h"
#include "app/configini.h"
#include "app/database.h"
#include "app/filedialogs.h"
#include "app/globals.h"
#include "app/messagebox.h"
#include "app/showmess.h"
#include "app/tdmdata.h"
#include "app/tfrmsplash.h"
#include "personnel/tfrmmain.h"

#include <QApplication>
#include <QDir>
#include <QThread>
#include <cstdio>
#include <memory>

int RunProgram(QApplication &app)
{
    InstallMessageBoxHandler();

    auto splash = std::make_unique<TfrmSplash>();
    splash->show();
    splash->setStatus(TfrmSplash::StartingText);

    TdmData dm;
    TdmData::ConnectUi ui;
    ui.status = [&](const QString &text) {
        if (splash)
            splash->setStatus(text);
    };
    ui.failed = [&] { splash.reset(); };
    ui.explain = [](const QString &why) { ShowMess(why, MessError); };
    ui.pickDatabaseFile = [](const QString &dir) {
        return PickOpenFile(nullptr, TdmData::PickCaption, dir, TdmData::PickFilter);
    };
    ui.retrying = [&] {
        splash = std::make_unique<TfrmSplash>();
        splash->show();
        splash->setStatus(TfrmSplash::StartingText);
    };
    if (!dm.DataModuleCreate(ui))
        return 1;

    splash->setStatus(QStringLiteral("连接成功，正在登录 ....."));
    TFrmMain main(&dm);
    ConnectAccessCommands(&main, &dm);
    ConnectDictionaryCommands(&main, &dm);
    splash->setStatus(QStringLiteral("连接成功，正在登录 ..."));
    QThread::msleep(20);
    splash->setStatus(QStringLiteral("连接成功，正在登录 ....."));
    splash.reset();

    // Nobody works without logging in: a cancelled or refused first login ends the program.
    if (!TfrmOperLogin::ShowLogin(&dm, &main, false))
        return 0;
    main.show();
    return app.exec();
}

int CreateDatabaseCommand(const QString &folder)
{
    ConfigIni ini(AppPaths::configFile());
    DbSettings settings = DbSettings::fromConfig(ini);
    if (!folder.isEmpty()) {
        settings.engine = DbEngine::Sqlite;
        // Typed in a shell, so a relative folder means one below the working folder.
        settings.dataFolder = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
        if (!settings.dataFolder.endsWith(u'/'))
            settings.dataFolder += u'/';
    }
    const Database::Result r = Database::create(settings);
    if (!r.ok()) {
        std::fprintf(stderr, "%s\n", r.message.toLocal8Bit().constData());
        return 2;
    }
    std::printf("%s\n", QStringLiteral("已建立数据库：%1").arg(settings.describe()).toLocal8Bit().constData());
    return 0;
}
