#pragma once

class TGIFAnimator;
class TMainWindow;

/// Adds the GIF view imgGifImageDisplay to the IMAGE page (whose still image
/// view must be installed already) and routes ".gif" files to it: a load that
/// succeeds makes the GIF view the page's visible image control.
TGIFAnimator* InstallGifView(TMainWindow& window);
