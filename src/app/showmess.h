#pragma once

#include <QString>
#include <functional>

// Message styles of ShowMess.
enum MessStyle {
    MessInfo = 0,       // OK
    MessQuestion = 1,   // yes/no: 1 for yes, 2 for no
    MessWarning = 2,    // OK
    MessError = 3,      // OK
};

inline constexpr int MessYes = 1;
inline constexpr int MessNo = 2;

// Every message of the program goes through ShowMess, and ShowMess through one
// handler: the program installs the message box, tests install their own
// answerer. Without a handler the text goes to stderr and a question answers no.
using MessageHandler = std::function<int(const QString &text, int style)>;

int ShowMess(const QString &text, int style);

// Installs a handler and returns the previous one.
MessageHandler SetMessageHandler(MessageHandler handler);
