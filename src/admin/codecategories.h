#pragma once

#include <QString>
#include <QVector>

// One tab of the option-list window: its component name, its caption and the
// category word its entries carry in t_code.F_type.
struct CodeCategory
{
    QString tab;
    QString caption;
    QString type;
};

// The tabs of TFrmCodeMan in their order. The word is the tab's name without
// its leading "t", except for 公司性质: its entries are kept under "gstype",
// the category its readers (work history editor, detail statistics) ask for.
const QVector<CodeCategory> &CodeCategories();
