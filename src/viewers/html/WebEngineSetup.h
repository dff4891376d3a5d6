#pragma once

/// Settles the web engine's environment before its library is loaded: the
/// sandbox (off only for root, where Chromium refuses it), no GPU (pages are
/// drawn in software), no start-up chatter on the terminal, and the global
/// shared GL context whose format the engine reads. Needs the application
/// object; call it before the first web engine object is made (the shell
/// calls it right before it loads the browser plugin). Runs once; later
/// calls do nothing.
void PrepareWebEngine();

/// Puts the environment variables that PrepareWebEngine set back as they
/// were, once the engine has started and read them: the programs the viewer
/// starts later (the desktop's handler for a file, the file manager) must not
/// inherit the engine's flags or a switched-off sandbox. Later calls do nothing.
void RestoreEnvironmentAfterWebEngineStart();
