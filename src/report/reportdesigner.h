#pragma once

#include "report/reportdata.h"
#include "report/reporterror.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class ReportDocument;
class ReportPageView;

// The report designer: the template's source, the data sources with their
// fields and the variables (a double-click puts the tag at the cursor), and
// a live preview beside it over the report's data. A template that does not
// parse shows its error and where it is; the preview keeps the last good
// version. 保存 writes the file (creating it, and its folder, when missing),
// 恢复 goes back to the file.
class ReportDesigner : public QDialog
{
    Q_OBJECT
public:
    static constexpr int PreviewRows = 200;   // rows of each source in the live preview
    static constexpr int PreviewDelayMs = 600;

    ReportDesigner(const QString &templatePath, const ReportData &data, QWidget *parent = nullptr);
    ~ReportDesigner() override;

    QString templatePath() const { return m_path; }
    QString sourceText() const;
    void setSourceText(const QString &text);
    bool isModified() const;

    // The error of the text now in the editor; null when it renders.
    const ReportError &lastError() const { return m_error; }
    std::shared_ptr<const ReportDocument> previewDocument() const { return m_doc; }

    // Handlers.
    void refreshPreview();
    bool btnSaveClick();
    void btnRevertClick();
    void btnCloseClick();
    void tvFieldsDoubleClick(QTreeWidgetItem *item);
    // Puts a tag at the editor's cursor.
    void insertTag(const QString &tag);
    // Esc and the close box: unsaved changes are offered for saving first.
    void reject() override;

private:
    void buildFieldTree();
    void loadFile();
    void sourceChanged();
    bool askToSave();
    void showError();

    QString m_path;
    ReportData m_data;
    QString m_saved;   // the text as the file holds it
    ReportError m_error;
    std::shared_ptr<const ReportDocument> m_doc;
    QPlainTextEdit *edtSource;
    QTreeWidget *tvFields;
    ReportPageView *pvPreview;
    QLabel *lblError;
    QTimer *m_timer;
};
