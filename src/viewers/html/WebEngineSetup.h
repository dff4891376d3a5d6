#pragma once

/// Settles the web engine's environment before its library is loaded: the
/// sandbox (off only for root, where Chromium refuses it), no GPU where there
/// is none (offscreen, Xvfb), and no start-up chatter on the terminal. Runs
/// once; later calls do nothing.
void PrepareWebEngine();
