#pragma once

// ---- Qt ----
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// ---- Standard library ----
#include <functional>
#include <memory>

class QEvent;
class QWidget;
class TPropsStorage;
class TRegIniFile;

/**
 * Keeps a window's placement in the settings store: restored when the window
 * is first shown, saved when it is about to close (or, failing that, when it
 * is destroyed). The store is opened for each run and for each ReadText or
 * WriteText call, never kept open; nothing is cached between openings.
 */
class TFormPlacement : public QObject {
    Q_OBJECT
public:
    explicit TFormPlacement(QWidget* owner);
    ~TFormPlacement() override;

    // ---- The window's events: its signals are connected to these ----------
    /// Before the window's own first-show step: restores the placement and
    /// the stored properties.
    void WindowShowing();
    /// The window closes (nothing refused it): saves, once it has a native
    /// window; failing that, WindowDestroying saves.
    void WindowClosing();
    /// The window is being destroyed, before its own destroy step: saves,
    /// unless the close already did.
    void WindowDestroying();

    /// The section; empty means the owning window's class name.
    QString IniSection;

    QString Section() const;

    QString ReadText(const QString& name, const QString& defaultValue);
    void WriteText(const QString& name, const QString& value);

    void RecallSettings();
    void PersistSettings();

    /// False where the window system places windows itself (Wayland): the
    /// stored position is then kept in the file but not applied.
    static bool PlacesWindows();
    void ApplyWindowPlacement();
    /// A window frame whose title bar lies on none of the screens' areas (a
    /// monitor since unplugged) moved onto the nearest one, shrunk only where
    /// it cannot fit; any other frame as it is.
    static QRect WithReachableTitleBar(const QRect& frame, const QList<QRect>& screens);
    void PinMaximizedPosition();
    void CaptureWindowPlacement();

    bool Recalled() const { return recalled_; }
    /// For controls built after the window was first shown: runs `restore`
    /// within one opening of the store, if the first show restored anything
    /// (the stored form version allowing it); otherwise does nothing.
    void RecallLate(const std::function<void()>& restore);
    bool Persisted() const { return persisted_; }

    /// Minimises the application as a whole; by default a queued minimise of
    /// the owner, so that it happens once the window is on screen.
    std::function<void()> MinimizeApplication;

    /// The screen suffix ("(1024x768)" on a 1024 x 768 screen) and the logical
    /// pixels per inch of the screen the window is on.
    QString ScreenSuffix() const;
    int PixelsPerInch() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    /// The save step: placement and "Visible".
    virtual void SavePlacement();
    /// The restore step: placement.
    virtual void RestorePlacement();
    virtual QString ReadString(const QString& section, const QString& ident,
                               const QString& defaultValue);
    virtual void WriteString(const QString& section, const QString& ident, const QString& value);

    QWidget* Owner() const { return owner_; }

private:
    /// Written as "FormVersion" with every save; it stays because stored
    /// files carry it. A store whose FormVersion is below it (a negative
    /// value) is not restored; a store without one reads as 0 and is.
    static constexpr int kFormVersion = 0;

    int readInteger(const QString& name, int defaultValue);
    void writeInteger(const QString& name, int value);

    QWidget* owner_;
    bool recalled_ = false;
    bool restored_ = false;
    bool persisted_ = false;
    bool destroyPass_ = false;
    std::unique_ptr<TRegIniFile> store_;

    // The parts of a window placement that this window system does not have:
    // kept as read and written back, so a store shared with another platform
    // keeps its values.
    int flags_ = 0;
    // The last rectangle (frame top-left, client size) the window had in the
    // normal state; saved for a maximised or minimised window.
    QRect normalRect_;
    /// Where a window system that does not let clients place their windows
    /// (Wayland) is asked to put it: the stored position, kept for the next
    /// run on one that does.
    QPoint unplacedPosition_;
    QPoint minPosition_{-1, -1};
    QPoint maxPosition_{-1, -1};
};

/**
 * The settings store of the main window (FormStorage1): the placement plus
 * a list of control properties ("component.property") kept as text values.
 */
class TFormStorage : public TFormPlacement {
    Q_OBJECT
public:
    explicit TFormStorage(QWidget* owner);

    /// Sets the stored properties, dropping entries that do not split into
    /// two names or whose component the window does not have.
    void SetStoredProps(const QStringList& entries);
    const QStringList& StoredProps() const { return storedProps_; }

    virtual void CaptureStoredProps();
    virtual void ApplyStoredProps();
    /// Restores the given entries (those of the list) now: for controls built
    /// after the window was first shown.
    void ApplyStoredPropsLate(const QStringList& entries);

protected:
    void SavePlacement() override;
    void RestorePlacement() override;

private:
    /// The stored properties read and written through this store.
    TPropsStorage props();

    QStringList storedProps_;
};
