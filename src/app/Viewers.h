#pragma once

class TMainWindow;

/// Builds the main window with every viewer and component installed, and
/// runs its creation step. The caller owns the window.
TMainWindow* CreateMainWindow();
