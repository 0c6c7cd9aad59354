#include "access/operatorlimits.h"

#include "app/globals.h"
#include "app/tdmdata.h"
#include "db/limitcatalogue.h"
#include "personnel/mainactions.h"

#include <QAction>
#include <QMenu>
#include <QSqlQuery>

namespace {

const QString HeldCodesSql = QStringLiteral(
    "Select l.F_code from OperLimit as O left join Limits as l On O.F_lmtName = l.F_name "
    "Where (O.F_OperName = :name)");

// The main-menu entry of each code group (the code's first digit).
const QList<std::pair<QChar, QString>> &menuOfGroup()
{
    static const QList<std::pair<QChar, QString>> menus = {
        {u'1', QStringLiteral("mnuFile")},   {u'2', QStringLiteral("mnuEdit")}, {u'3', QStringLiteral("mnuOutput")},
        {u'4', QStringLiteral("mnuStat")},   {u'5', QStringLiteral("mnuData")},
    };
    return menus;
}

} // namespace

bool IsAdminName(const QString &name)
{
    return name.trimmed().toLower() == QStringLiteral("admin");
}

bool CheckLimit(TdmData *dm, const QString &code)
{
    return dm->GetSingleInt(QStringLiteral("Select o.F_ID from OperLimit as O left join Limits as l On O.F_lmtName = l.F_name "
                                           "Where (O.F_OperName = :name)And(l.F_code = :code) "),
                            {{QStringLiteral(":name"), CurrentOperator}, {QStringLiteral(":code"), code}})
           > 0;
}

QSet<QString> HeldLimitCodes(TdmData *dm, const QString &operatorName, bool *ok)
{
    QSet<QString> codes;
    QSqlQuery q(dm->ADOcnn());
    q.setForwardOnly(true);
    const bool opened = dm->OpenQuery(q, HeldCodesSql, {{QStringLiteral(":name"), operatorName.trimmed()}});
    if (opened) {
        while (q.next())
            codes.insert(q.value(0).toString().trimmed());
    }
    if (ok)
        *ok = opened;
    return codes;
}

void SetLimits(MainActions *actions, TdmData *dm, const QString &operatorName)
{
    // One read for all forty codes: a broken connection gives one message, not forty.
    const bool admin = IsAdminName(operatorName);
    const QSet<QString> held = admin ? QSet<QString>() : HeldLimitCodes(dm, operatorName);

    QSet<QChar> groupsShown;
    for (const LimitDef &l : LimitCatalogue()) {
        const QString code = QString::fromLatin1(l.code);
        const bool visible = admin || held.contains(code);
        if (QAction *a = actions->action(QStringLiteral("Action") + code))
            a->setVisible(visible);
        if (visible)
            groupsShown.insert(code.at(0));
    }
    for (const auto &[follower, leader] : MainActions::followers()) {
        QAction *f = actions->action(follower);
        QAction *l = actions->action(leader);
        if (f && l)
            f->setVisible(l->isVisible());
    }
    // A hidden entry hides everything under it, the commands without a code too.
    for (const auto &[group, menuName] : menuOfGroup()) {
        if (QMenu *m = actions->menu(menuName))
            m->menuAction()->setVisible(groupsShown.contains(group));
    }
}
