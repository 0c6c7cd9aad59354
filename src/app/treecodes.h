#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>

// The record attached to every node of a code tree (t_treecode): the length
// of its code (0 for the root and for nodes added in a window), the code, the
// node's own name and its path of names.
struct tNodeData
{
    int codeLength = 0;
    QString F_code;
    QString F_name;
    QString F_likecode;
};
Q_DECLARE_METATYPE(tNodeData)

// Hierarchical codes of t_treecode: one three-digit group per level ("001",
// its children "001001", "001002"), and the name paths of the nodes.
namespace TreeCodes {

// The root of a tree is not stored; its record carries this code and path.
inline const QString RootCode = QStringLiteral("000");
inline const QString RootPath = QStringLiteral("\\\\");

inline constexpr int GroupLength = 3;
inline constexpr int MaxSiblings = 999;

enum Mode { Sibling = 1, Child = 2 };

// The code of the node a new sibling (mode 1) or child (mode 2) is asked for,
// with the root given as either "" or "000" and made one form per mode.
QString normalizedCode(const QString &code, int mode);

// Prefix that the candidates' codes begin with: the code without its last group
// for a sibling, the whole code for a child. Candidates are at most
// prefix length + 3 characters long.
QString searchPrefix(const QString &code, int mode);

// The new code from the highest existing code that begins with the search
// prefix and is at most one group longer (empty when there is none): the next
// number after it, or prefix + "001" on an empty level. Empty when there is no
// free code: the level already holds 999 codes, the highest code does not end
// in three digits, or the mode is unknown. Callers refuse to add a node then.
QString nextCode(const QString &code, const QString &highest, int mode);

// The path of a node from the names of its ancestors below the root and its
// own, top first: two backslashes, then the names joined by one backslash.
// No names is the root's path.
QString nodePath(const QStringList &names);

// The shape of a tree read in code order: for every row the index of its
// parent row, -1 for the root. A row longer than the previous one is its
// child, one as long its sibling; a shorter one climbs back to the level of
// its length. Rows whose lengths fit no level become children of the nearest
// shorter node, so a damaged table still gives a tree.
QVector<int> parentRows(const QVector<int> &codeLengths);

} // namespace TreeCodes
