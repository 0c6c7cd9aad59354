#pragma once

#include <functional>

class QDialog;

// Every modal window of the program is run through RunModal, so that a test
// can answer it (fill its controls, call its handlers, return a result)
// without a running event loop.
using ModalHandler = std::function<int(QDialog *dialog)>;

int RunModal(QDialog *dialog);

// Installs a handler and returns the previous one; an empty one restores exec().
ModalHandler SetModalHandler(ModalHandler handler);
