#pragma once

#include <QString>
#include <span>

// The permission catalogue: one code per main-window command. A new database
// carries these rows in Limits, named with the command's caption.
struct LimitDef {
    const char *code;      // "101" .. "505"; the command is Action{code}
    const char *caption;   // Limits.F_name and the command's caption
    const char *menu;      // the main-menu entry that holds the command
};

std::span<const LimitDef> LimitCatalogue();
