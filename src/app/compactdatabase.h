#pragma once

#include "app/dbsettings.h"

#include <QString>

// Compacts and checks the database the settings name, on a connection of its
// own. SQLite: an integrity check, then VACUUM; PostgreSQL: VACUUM ANALYZE.
// True only when it really succeeded: a file that is not one of our databases,
// a damaged one, or one another program keeps busy gives false and is not
// changed.
bool CompactDatabase(const DbSettings &settings, QString *error = nullptr);
