#pragma once

#include <QString>
#include <QVector>

// One column of a data grid, as a layout in cfg_grid describes it.
struct GridColumn
{
    enum Footer { NoFooter = 0, FixedText = 1, Sum = 2 };
    enum Align { DefaultAlign = -1, Left = 0, Center = 1, Right = 2 };

    QString field;            // the result field shown (matched without regard to case)
    QString caption;          // the title
    int width = 80;           // pixels
    bool visible = true;
    bool readOnly = true;
    int alignment = DefaultAlign;
    QString displayFormat;    // number or date picture for cells and footer; empty = none
    QString footerValue;      // footer text for FixedText
    int footerType = NoFooter;
};

using GridColumns = QVector<GridColumn>;
