#pragma once

#include "host/ViewerRecord.h"
#include "viewers/text/Memo.h"

class QWidget;
class TViewerHost;

/// The text viewer's display page.
inline constexpr QLatin1String kTextPage{"TEXT"};

/// The text viewer: the TEXT page for ".txt" files, with the word-wrap and
/// font commands, keeping txtText's scroll bars and font in the settings.
TViewerRecord TextViewer();

/// Registers the text viewer with a host and builds its page at once (the
/// program's window builds it after its first paint). Returns txtText.
TMemo* InstallTextView(TViewerHost& host);

/// The page's content alone (txtText, panTextToolbar and its two buttons),
/// for hosts without a main window. Returns txtText.
TMemo* BuildTextPage(QWidget* page);

/// The word-wrap command: ssBoth from ssVertical, ssVertical from any other value.
void OptionsWordWrapExecute(TMemo& memo);
/// The font chooser, modal over owner; OK copies its font to the view.
void OptionsFontExecute(TMemo& memo, QWidget* owner);
