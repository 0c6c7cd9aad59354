#pragma once

#include <QComboBox>

// An editable drop-down offering the entries of one option list (t_code by
// category, in any letter case). The list is read again each time the box is
// entered, so entries added meanwhile appear; the typed text is kept and is
// stored as typed whether it is in the list or not.
class CodeComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CodeComboBox(const QString &category = QString(), QWidget *parent = nullptr);

    QString category() const { return m_category; }
    void setCategory(const QString &category) { m_category = category; }

    // Reads the entries now (also done on entering the box).
    void refill();

    static QString entriesSql();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    QString m_category;
};
