#include "report/reportdesigner.h"

#include "app/showmess.h"
#include "report/reportdocument.h"
#include "report/reportpageview.h"
#include "report/reportrenderer.h"
#include "report/reporttemplate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int TagRole = Qt::UserRole;

QTreeWidgetItem *addItem(QTreeWidgetItem *parent, const QString &text, const QString &tag, const QString &tip = {})
{
    auto *item = new QTreeWidgetItem(parent, QStringList{text});
    item->setData(0, TagRole, tag);
    item->setToolTip(0, tip.isEmpty() ? tag : tip);
    return item;
}

QString sectionTag(const QString &name)
{
    return QStringLiteral("{{#%1}}\n\n{{/%1}}").arg(name);
}

} // namespace

ReportDesigner::ReportDesigner(const QString &templatePath, const ReportData &data, QWidget *parent)
    : QDialog(parent), m_path(templatePath), m_data(data)
{
    setObjectName(QStringLiteral("ReportDesigner"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    resize(1280, 800);
    if (m_data.rowLimit() <= 0 || m_data.rowLimit() > PreviewRows)
        m_data.setRowLimit(PreviewRows);

    tvFields = new QTreeWidget(this);
    tvFields->setObjectName(QStringLiteral("tvFields"));
    tvFields->setHeaderLabel(QStringLiteral("数据源、字段与变量（双击插入）"));
    buildFieldTree();

    edtSource = new QPlainTextEdit(this);
    edtSource->setObjectName(QStringLiteral("edtSource"));
    QFont mono;
    mono.setFamilies({QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSize(10);
    edtSource->setFont(mono);
    edtSource->setLineWrapMode(QPlainTextEdit::NoWrap);

    pvPreview = new ReportPageView(this);
    pvPreview->setObjectName(QStringLiteral("pvPreview"));

    lblError = new QLabel(this);
    lblError->setObjectName(QStringLiteral("lblError"));
    lblError->setWordWrap(true);
    lblError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblError->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    lblError->hide();

    auto *btnSave = new QPushButton(QStringLiteral("保存"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    auto *btnRevert = new QPushButton(QStringLiteral("恢复"), this);
    btnRevert->setObjectName(QStringLiteral("btnRevert"));
    btnRevert->setToolTip(QStringLiteral("放弃修改，恢复为文件中的模板"));
    auto *btnRefresh = new QPushButton(QStringLiteral("刷新预览"), this);
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    auto *btnClose = new QPushButton(QStringLiteral("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);

    auto *editorPane = new QWidget(this);
    auto *editorLayout = new QVBoxLayout(editorPane);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->addWidget(edtSource, 1);
    editorLayout->addWidget(lblError);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(tvFields);
    splitter->addWidget(editorPane);
    splitter->addWidget(pvPreview);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 3);
    splitter->setSizes({230, 520, 520});

    auto *buttons = new QHBoxLayout;
    auto *file = new QLabel(QDir::toNativeSeparators(m_path), this);
    file->setObjectName(QStringLiteral("lblFile"));
    buttons->addWidget(file, 1);
    buttons->addWidget(btnRefresh);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnRevert);
    buttons->addWidget(btnClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(PreviewDelayMs);

    connect(btnSave, &QPushButton::clicked, this, &ReportDesigner::btnSaveClick);
    connect(btnRevert, &QPushButton::clicked, this, &ReportDesigner::btnRevertClick);
    connect(btnRefresh, &QPushButton::clicked, this, &ReportDesigner::refreshPreview);
    connect(btnClose, &QPushButton::clicked, this, &ReportDesigner::btnCloseClick);
    connect(tvFields, &QTreeWidget::itemDoubleClicked, this, &ReportDesigner::tvFieldsDoubleClick);
    connect(m_timer, &QTimer::timeout, this, &ReportDesigner::refreshPreview);

    loadFile();
    connect(edtSource, &QPlainTextEdit::textChanged, this, &ReportDesigner::sourceChanged);
    refreshPreview();
}

ReportDesigner::~ReportDesigner() = default;

void ReportDesigner::buildFieldTree()
{
    tvFields->clear();
    auto *sources = new QTreeWidgetItem(tvFields, QStringList{QStringLiteral("数据源")});
    for (const ReportDataSource &s : m_data.sources()) {
        QTreeWidgetItem *src = addItem(sources, QStringLiteral("%1（%2 条）").arg(s.name()).arg(s.rowCount()),
                                       sectionTag(s.name()), QStringLiteral("每条记录重复一次：") + sectionTag(s.name()));
        const QStringList fields = s.fieldNames();
        for (int c = 0; c < fields.size(); ++c) {
            const QString caption = s.caption(fields.at(c));
            const QString text = caption.isEmpty() ? fields.at(c) : fields.at(c) + QStringLiteral("  ") + caption;
            ReportDataSource::Kind kind = s.kind(c);
            if (kind == ReportDataSource::Kind::Auto && s.rowCount() > 0)
                kind = ReportDataSource::kindOfValue(s.value(0, c));
            const QString tag = kind == ReportDataSource::Kind::Image
                                    ? QStringLiteral("<img src=\"{{%1}}\" width=\"110\">").arg(fields.at(c))
                                    : QStringLiteral("{{%1}}").arg(fields.at(c));
            addItem(src, text, tag);
        }
        addItem(src, QStringLiteral("记录数"), QStringLiteral("{{%1_count}}").arg(s.name()));
        addItem(src, QStringLiteral("当前记录"), sectionTag(s.name() + QStringLiteral("_current")));
    }
    sources->setExpanded(true);

    // The variables the window answers (memoDate, sCurKHname) and those the report makes.
    auto *own = new QTreeWidgetItem(tvFields, QStringList{QStringLiteral(" 自定义变量")});
    for (const QString &name : m_data.variableNames())
        addItem(own, name, QStringLiteral("{{%1}}").arg(name));
    own->setExpanded(true);

    auto *system = new QTreeWidgetItem(tvFields, QStringList{QStringLiteral("系统变量")});
    addItem(system, QStringLiteral("printDate  打印日期"), QStringLiteral("{{printDate}}"));
    addItem(system, QStringLiteral("reportTitle  报表标题"), QStringLiteral("{{reportTitle}}"));
    addItem(system, QStringLiteral("rowCount  记录数"), QStringLiteral("{{rowCount}}"));
    addItem(system, QStringLiteral("rowNo  行号"), QStringLiteral("{{rowNo}}"));
    addItem(system, QStringLiteral("page  页码"), QStringLiteral("{{page}}"));
    addItem(system, QStringLiteral("pages  总页数"), QStringLiteral("{{pages}}"));
    addItem(system, QStringLiteral("pageHeader  页眉"), sectionTag(QStringLiteral("pageHeader")));
    addItem(system, QStringLiteral("pageFooter  页脚"), sectionTag(QStringLiteral("pageFooter")));

    const QDir partials(QFileInfo(m_path).absolutePath() + QStringLiteral("/partials"));
    const QStringList files = partials.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    if (!files.isEmpty()) {
        auto *shared = new QTreeWidgetItem(tvFields, QStringList{QStringLiteral("公共部分")});
        for (const QString &f : files) {
            const QString name = QFileInfo(f).completeBaseName();
            addItem(shared, name, QStringLiteral("{{> %1}}").arg(name));
        }
    }
}

QString ReportDesigner::sourceText() const
{
    return edtSource->toPlainText();
}

void ReportDesigner::setSourceText(const QString &text)
{
    edtSource->setPlainText(text);
}

bool ReportDesigner::isModified() const
{
    return sourceText() != m_saved;
}

void ReportDesigner::loadFile()
{
    m_saved.clear();
    QFile f(m_path);
    if (f.open(QIODevice::ReadOnly)) {
        m_saved = QString::fromUtf8(f.readAll());
        if (m_saved.startsWith(QChar(0xFEFF)))
            m_saved.remove(0, 1);
    }
    const QSignalBlocker block(edtSource);
    edtSource->setPlainText(m_saved);
    setWindowTitle(QStringLiteral("报表设计 - ") + QFileInfo(m_path).completeBaseName());
}

void ReportDesigner::sourceChanged()
{
    const QString title = QStringLiteral("报表设计 - ") + QFileInfo(m_path).completeBaseName();
    setWindowTitle(isModified() ? title + QStringLiteral(" *") : title);
    m_timer->start();
}

void ReportDesigner::refreshPreview()
{
    m_timer->stop();
    const ReportTemplate tpl = ReportTemplate::fromText(sourceText(), m_path);
    const RenderedReport rendered = ReportRenderer::render(tpl, m_data);
    m_error = rendered.error;
    if (rendered.ok()) {
        m_doc = std::make_shared<ReportDocument>(rendered);
        pvPreview->setDocument(m_doc);
    }
    showError();
}

void ReportDesigner::showError()
{
    QList<QTextEdit::ExtraSelection> marks;
    if (m_error.isNull()) {
        lblError->clear();
        lblError->hide();
    } else {
        lblError->setText(m_error.text() + (m_doc ? QStringLiteral("\n（预览为上一次正确的模板）") : QString()));
        lblError->show();
        if (m_error.line > 0 && m_error.file == QFileInfo(m_path).fileName()) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = QTextCursor(edtSource->document()->findBlockByNumber(m_error.line - 1));
            mark.format.setBackground(QColor(0xFF, 0xD8, 0xD8));
            mark.format.setProperty(QTextFormat::FullWidthSelection, true);
            marks << mark;
        }
    }
    edtSource->setExtraSelections(marks);
}

bool ReportDesigner::btnSaveClick()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    const QString text = sourceText();
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0 || !f.commit()) {
        ShowMess(QStringLiteral("报表模板保存失败：") + QDir::toNativeSeparators(m_path), MessError);
        return false;
    }
    m_saved = text;
    sourceChanged();
    m_timer->stop();
    return true;
}

void ReportDesigner::btnRevertClick()
{
    loadFile();
    refreshPreview();
}

bool ReportDesigner::askToSave()
{
    if (!isModified())
        return true;
    if (ShowMess(QStringLiteral("报表模板已修改，是否保存？"), MessQuestion) != MessYes)
        return true;
    return btnSaveClick();
}

void ReportDesigner::btnCloseClick()
{
    if (askToSave())
        accept();
}

void ReportDesigner::reject()
{
    if (askToSave())
        QDialog::reject();
}

void ReportDesigner::tvFieldsDoubleClick(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QString tag = item->data(0, TagRole).toString();
    if (!tag.isEmpty())
        insertTag(tag);
}

void ReportDesigner::insertTag(const QString &tag)
{
    QTextCursor c = edtSource->textCursor();
    c.insertText(tag);
    edtSource->setTextCursor(c);
    edtSource->setFocus();
}
