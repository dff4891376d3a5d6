#pragma once

/// Settles the web engine's environment before its library is loaded: the
/// sandbox (off only for root, where Chromium refuses it), no GPU where there
/// is none (offscreen, Xvfb), no start-up chatter on the terminal, and the
/// global shared GL context that the engine needs. Needs the application
/// object; call it before the first web engine object is made (the shell
/// calls it right before it loads the browser plugin). Runs once; later
/// calls do nothing.
void PrepareWebEngine();
