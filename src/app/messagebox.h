#pragma once

// Installs the message box as the handler of ShowMess.
void InstallMessageBoxHandler();
