#pragma once

#include "report/reportdata.h"

#include <QDialog>

class QListWidget;

// "报表管理器": the templates of the current employee's reports, opened in
// the designer or the preview over the main window's data (its employee list
// and the seven history lists, which the main window opens first).
class TFrmReportGl : public QDialog
{
    Q_OBJECT
public:
    struct Entry {
        QString caption;
        QString templateName;
    };
    static const QVector<Entry> &entries();

    explicit TFrmReportGl(const ReportData &data, QWidget *parent = nullptr);

    QListWidget *list() const { return ListBox1; }

    // Handlers. 设计 and 预览 do nothing without a chosen entry or without employees.
    void Button3Click();   // 设计
    void Button4Click();   // 预览
    void Button5Click();   // 关闭

private:
    QString chosenTemplate() const;

    ReportData m_data;
    QListWidget *ListBox1;
};
