#pragma once

#include <QString>

#include <exception>

#include "host/ViewerRecord.h"

class QWidget;
class TAction;

/**
 * What a viewer is given by the window that shows it: the page to fill, the
 * commands it added, a caption to set and a way to report an error. A viewer
 * knows nothing else of the window.
 */
class TViewerHost {
public:
    virtual ~TViewerHost() = default;

    /// Registers a viewer: its page and commands are made, then it is installed.
    virtual void RegisterViewer(const TViewerRecord& record) = 0;

    /// The display page of that name, or null.
    virtual QWidget* Page(const QString& name) const = 0;
    /// A command of the command table by its name, or null.
    virtual TAction* Action(const QString& name) const = 0;
    /// The window, as the owner of a viewer's dialogs.
    virtual QWidget* DialogOwner() = 0;
    /// Sets the window caption and the application title.
    virtual void SetCaption(const QString& text) = 0;
    /// Shows a failure in the error box (for failures outside a user's action).
    virtual void ReportError(std::exception_ptr error) = 0;
    /// Asks to be told the neighbours of each file shown (see
    /// TViewerReadAhead). A host without a file list ignores it.
    virtual void AddReadAhead(TViewerReadAhead readAhead) {}
};
