#include "app/codecombobox.h"

#include "app/tdmdata.h"

#include <QFocusEvent>
#include <QLineEdit>

CodeComboBox::CodeComboBox(const QString &category, QWidget *parent)
    : QComboBox(parent)
    , m_category(category)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);   // typing never adds an entry
    setMaxVisibleItems(20);
}

QString CodeComboBox::entriesSql()
{
    return QStringLiteral("select distinct F_name from t_code where (F_name <> '') and F_type = :type ");
}

void CodeComboBox::refill()
{
    if (m_category.isEmpty())
        return;
    if (TdmData *dm = TdmData::instance())
        dm->FillCombo(entriesSql(), this, {{QStringLiteral(":type"), m_category}});
}

void CodeComboBox::focusInEvent(QFocusEvent *event)
{
    // A click on the arrow also gives the focus first, so the list is fresh when it opens.
    if (event->reason() != Qt::PopupFocusReason)
        refill();
    QComboBox::focusInEvent(event);
}
