#pragma once

#include <QString>

// Picture type of a file by its extension: 1 bmp, 2 jpeg, 3 gif, 0 anything else.
int ImageTypeOfFile(const QString &fileName);
