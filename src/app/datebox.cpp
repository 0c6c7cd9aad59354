#include "app/datebox.h"

#include "app/nodate.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

DateBox::DateBox(QWidget *parent)
    : QWidget(parent)
    , m_check(new QCheckBox(this))
    , m_edit(new QDateEdit(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    m_check->setObjectName(QStringLiteral("tick"));
    m_edit->setObjectName(QStringLiteral("date"));
    m_edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_edit->setCalendarPopup(true);
    m_edit->setDate(QDate::currentDate());
    m_edit->setMinimumWidth(100);
    setFocusProxy(m_edit);
    m_edit->setEnabled(false);
    connect(m_check, &QCheckBox::toggled, this, [this](bool on) {
        m_edit->setEnabled(on);
        emit changed();
    });
    connect(m_edit, &QDateEdit::dateChanged, this, &DateBox::changed);
}

bool DateBox::isChecked() const
{
    return m_check->isChecked();
}

void DateBox::setChecked(bool checked)
{
    m_check->setChecked(checked);
    m_edit->setEnabled(checked);
}

QDate DateBox::date() const
{
    return m_edit->date();
}

void DateBox::setDate(const QDate &date)
{
    m_edit->setDate(date);
}

void DateBox::setStoredValue(const QVariant &stored)
{
    if (IsNoDate(stored)) {
        setChecked(false);
        return;
    }
    setDate(QDate::fromString(DateText(stored), QStringLiteral("yyyy-MM-dd")));
    setChecked(true);
}

QDate DateBox::storedValue() const
{
    return StoredDate(isChecked(), date());
}
