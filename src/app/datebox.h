#pragma once

#include <QDate>
#include <QWidget>

class QCheckBox;
class QDateEdit;

// A date with a tick: unticked means "no date". Shown as yyyy-MM-dd with a
// calendar pop-up; the date part follows the tick.
class DateBox : public QWidget
{
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);

    bool isChecked() const;
    void setChecked(bool checked);
    QDate date() const;
    void setDate(const QDate &date);

    // Loads a stored value: a no-date value leaves the box unticked.
    void setStoredValue(const QVariant &stored);
    // The value to store: the date when ticked, else the no-date value.
    QDate storedValue() const;

    QCheckBox *checkBox() const { return m_check; }
    QDateEdit *dateEdit() const { return m_edit; }

signals:
    void changed();

private:
    QCheckBox *m_check;
    QDateEdit *m_edit;
};
