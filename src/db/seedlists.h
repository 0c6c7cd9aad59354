#pragma once

#include <span>

// The starter content a new database carries. Plain data, turned into rows by
// the database creator.

struct CodeSeed {            // one t_code entry
    const char *type;        // category word, e.g. "minzu"
    const char *name;        // the entry's text
};

struct ImportSeed {          // one cfg_import row for t_employee
    const char *field;       // column name in t_employee, e.g. "F_name"
    const char *caption;     // its Chinese display name, e.g. "员工名称"
};

struct StatSeed {            // one cfg_stat row, with its statement for each engine
    const char *name;        // shown in the chart window's list
    const char *sqlite;      // SELECT ... yielding F_name, F_num; takes :fromDate and :toDate
    const char *postgres;
};

std::span<const CodeSeed> StarterCodes();
std::span<const ImportSeed> EmployeeImportColumns();
std::span<const StatSeed> StarterStatistics();
