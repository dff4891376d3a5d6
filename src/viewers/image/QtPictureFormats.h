#pragma once

#include <QStringList>

class TPictureFormats;

/**
 * The picture format list of the program: the viewer's own readers (BMP,
 * JPEG; TPictureFormats::Default()) followed by every format Qt's image
 * readers take on this machine, read through TQtPicture. GIF is left to the
 * animated view, and an extension with a reader of its own keeps it. This
 * list is the one place that says which extensions the still image view
 * takes: its viewer record, and through that the default file types and the
 * open dialog's filter, come from it.
 */
const TPictureFormats& ProgramPictureFormats();

/// The formats Qt reads here, in lower case: those of the image plugins,
/// found from the plugins' own descriptions without loading any (so that
/// building the list at start-up maps no plugin), and QtGui's built-in ones.
QStringList QtReadableFormats();
