#pragma once

#include <QStringList>

#include <vector>

#include "host/ViewerRecord.h"

class TMainWindow;

/// The viewers of the program, one line each, in the order of their pages.
std::vector<TViewerRecord> ProgramViewers();

/// The file types browsed when none are stored, in the order the file-type
/// dialog lists them. A viewer's types not named here follow them.
QStringList ProgramFileTypes();

/// Registers the viewers on the window and orders its default file types.
void InstallViewers(TMainWindow& window, const std::vector<TViewerRecord>& viewers);

/// Before the application exists: lets the viewer of the file the program
/// was started on (a command-line argument naming a file) start preparing
/// it, while the application connects to the display and builds the window.
/// True when a viewer took it (a picture is being read).
bool ReadFirstFile(const QString& argument);

/// Builds the main window with every viewer and component installed, and
/// runs its creation step. The caller owns the window.
TMainWindow* CreateMainWindow();

/// Runs the window's first show (which opens `argument`, or asks for a file)
/// and, unless that closed it, shows it and runs the event loop; deletes the
/// window and returns the loop's result.
int RunMainWindow(TMainWindow* window, const QString& argument);
