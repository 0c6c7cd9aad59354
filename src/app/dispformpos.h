#pragma once

class QWidget;

// Places a newly built window before it is shown. Mode 0: windows opened by
// the main window, centred over it; 1: editors opened from another window, and
// 2: the small insurance, permit and resignation dialogs, centred over the
// window that opens them. Always kept inside the screen.
void DispFormPos(QWidget *window, int mode);

// The main window that mode 0 centres on; set when it is created.
void SetMainFormForPlacement(QWidget *mainWindow);
