#include "settings/FormPlacement.h"

// ---- Qt ----
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QWidget>

// ---- Standard library ----
#include <algorithm>
#include <climits>
#include <exception>

// ---- Project ----
#include "base/ErrorReport.h"
#include "host/ScreenFit.h"
#include "settings/KeyPaths.h"
#include "settings/PropsStorage.h"
#include "settings/RegIniFile.h"
#include "settings/core/StoredText.h"

namespace {

QScreen* screenOf(const QWidget* widget) {
    QScreen* screen = widget ? widget->screen() : nullptr;
    return screen ? screen : qGuiApp->primaryScreen();
}

int clampToInt(long long value) {
    return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

/// Closes the store whatever happens in a run; a failure while an earlier
/// error is on its way is dropped, the earlier error is the one reported.
class StoreRun {
public:
    explicit StoreRun(std::unique_ptr<TRegIniFile>& store) : store_(store) {}
    ~StoreRun() { store_.reset(); }
    void Close() {
        std::unique_ptr<TRegIniFile> store = std::move(store_);
        if (store) store->Close();
    }

private:
    std::unique_ptr<TRegIniFile>& store_;
};

}  // namespace

// ---- TFormPlacement ---------------------------------------------------------

TFormPlacement::TFormPlacement(QWidget* owner) : QObject(owner), owner_(owner) {
    setObjectName(QStringLiteral("FormStorage1"));
    owner_->installEventFilter(this);
    MinimizeApplication = [this] {
        QPointer<QWidget> window = owner_;
        QTimer::singleShot(0, owner_, [window] {
            if (window) window->setWindowState(window->windowState() | Qt::WindowMinimized);
        });
    };
}

TFormPlacement::~TFormPlacement() = default;

bool TFormPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
        !(owner_->windowState() &
          (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        normalRect_ = QRect(owner_->pos(), owner_->size());
    return QObject::eventFilter(watched, event);
}

void TFormPlacement::WindowShowing() {
    try {
        RecallSettings();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

void TFormPlacement::WindowClosing() {
    if (!owner_->windowHandle()) return;
    try {
        PersistSettings();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

void TFormPlacement::WindowDestroying() {
    if (persisted_) return;
    destroyPass_ = true;
    try {
        PersistSettings();
    } catch (...) {
        ReportError(std::current_exception());
    }
    destroyPass_ = false;
}

QString TFormPlacement::Section() const {
    if (!IniSection.isEmpty()) return IniSection;
    return QString::fromLatin1(owner_->metaObject()->className());
}

QString TFormPlacement::ReadString(const QString& section, const QString& ident,
                                   const QString& defaultValue) {
    if (store_) return store_->ReadString(section, ident, defaultValue);
    TRegIniFile store(SettingsKeyPath(), TRegIniFile::Access::ReadOnly);
    return store.ReadString(section, ident, defaultValue);
}

void TFormPlacement::WriteString(const QString& section, const QString& ident,
                                 const QString& value) {
    if (store_) {
        store_->WriteString(section, ident, value);
        return;
    }
    TRegIniFile store(SettingsKeyPath(), TRegIniFile::Access::Writable);
    store.WriteString(section, ident, value);
    store.Close();
}

QString TFormPlacement::ReadText(const QString& name, const QString& defaultValue) {
    return ReadString(Section(), name, defaultValue);
}

void TFormPlacement::WriteText(const QString& name, const QString& value) {
    WriteString(Section(), name, value);
}

int TFormPlacement::readInteger(const QString& name, int defaultValue) {
    const QString text = ReadText(name, QString());
    if (text.isEmpty()) return defaultValue;
    const auto value = StoredText::ParseInteger(StoredText::Trim(text.toStdString()));
    return value ? *value : defaultValue;
}

void TFormPlacement::writeInteger(const QString& name, int value) {
    WriteText(name, QString::number(value));
}

QString TFormPlacement::ScreenSuffix() const {
    const QSize size = screenOf(owner_)->size();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int TFormPlacement::PixelsPerInch() const {
    return qRound(screenOf(owner_)->logicalDotsPerInch());
}

void TFormPlacement::RecallSettings() {
    persisted_ = false;
    unplacedPosition_ = owner_->pos();
    {
        store_ = std::make_unique<TRegIniFile>(SettingsKeyPath(), TRegIniFile::Access::ReadOnly);
        StoreRun run(store_);
        restored_ = readInteger(QStringLiteral("FormVersion"), 0) >= kFormVersion;
        if (restored_) RestorePlacement();
        recalled_ = true;
        run.Close();
    }
    PinMaximizedPosition();
}

void TFormPlacement::RecallLate(const std::function<void()>& restore) {
    if (!recalled_ || !restored_) return;
    store_ = std::make_unique<TRegIniFile>(SettingsKeyPath(), TRegIniFile::Access::ReadOnly);
    StoreRun run(store_);
    restore();
    run.Close();
}

void TFormPlacement::PersistSettings() {
    if (!recalled_) return;
    store_ = std::make_unique<TRegIniFile>(SettingsKeyPath(), TRegIniFile::Access::Writable);
    StoreRun run(store_);
    try {
        writeInteger(QStringLiteral("FormVersion"), kFormVersion);
        SavePlacement();
    } catch (...) {
        // What was written before the failure still goes out; the failure is
        // the one to report.
        try {
            run.Close();
        } catch (...) {
        }
        throw;
    }
    // The one sync of the run: only a save that reached the disk counts.
    run.Close();
    persisted_ = true;
}

void TFormPlacement::SavePlacement() {
    CaptureWindowPlacement();
    WriteText(QStringLiteral("Visible"), destroyPass_ ? QStringLiteral("1") : QStringLiteral("0"));
}

void TFormPlacement::RestorePlacement() {
    ApplyWindowPlacement();
}

bool TFormPlacement::PlacesWindows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void TFormPlacement::ApplyWindowPlacement() {
    QWidget* window = owner_;
    unplacedPosition_ = window->pos();
    flags_ = readInteger(QStringLiteral("Flags"), flags_);

    bool found = false;
    QString text = ReadText(QStringLiteral("MinMaxPos") + ScreenSuffix(), QString());
    if (text.isEmpty()) text = ReadText(QStringLiteral("MinMaxPos"), QString());
    if (!text.isEmpty()) {
        found = true;
        const auto words = StoredText::ReadFour(text.toStdString(), {0, 0, 0, 0});
        minPosition_ = QPoint(words[0], words[1]);
        maxPosition_ = QPoint(words[2], words[3]);
    }

    const QPoint pos = window->pos();
    const QSize size = window->size();
    std::vector<int32_t> normal{pos.x(), pos.y(), clampToInt(0LL + pos.x() + size.width()),
                                clampToInt(0LL + pos.y() + size.height())};
    text = ReadText(QStringLiteral("NormPos") + ScreenSuffix(), QString());
    if (text.isEmpty()) text = ReadText(QStringLiteral("NormPos"), QString());
    if (!text.isEmpty()) {
        found = true;
        normal = StoredText::ReadFour(text.toStdString(), normal);
    }

    const int pixelsPerInch = PixelsPerInch();
    const bool samePixelsPerInch =
        readInteger(QStringLiteral("PixelsPerInch"), pixelsPerInch) == pixelsPerInch;
    const long long width = 0LL + normal[2] - normal[0];
    const long long height = 0LL + normal[3] - normal[1];
    // An empty rectangle is no placement: the window keeps its initial bounds.
    if (found && samePixelsPerInch && width > 0 && height > 0) {
        // A hand-edited size is held to the desktop's: a window larger than
        // all screens together is no placement, and its backing store alone
        // could exhaust memory.
        const QSize desktop = screenOf(window)->virtualSize();
        const QSize size(int(std::min<long long>(width, std::max(desktop.width(), 1))),
                         int(std::min<long long>(height, std::max(desktop.height(), 1))));
        // The stored placement is kept exactly unless nobody could reach it.
        QList<QRect> screens;
        for (QScreen* screen : QGuiApplication::screens())
            screens.append(screen->availableGeometry());
        const QRect stored(QPoint(normal[0], normal[1]), size);
        if (PlacesWindows()) {
            const QRect placed = WithReachableTitleBar(stored, screens);
            window->move(placed.topLeft());
            window->resize(placed.size());
        } else {
            unplacedPosition_ = stored.topLeft();
            window->resize(size);
        }
    }
    normalRect_ = QRect(PlacesWindows() ? window->pos() : unplacedPosition_, window->size());

    const int showCmd = readInteger(QStringLiteral("ShowCmd"), 0);
    const StoredText::ShowState state = StoredText::ShowStateFromCommand(showCmd);
    const Qt::WindowStates others =
        window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == StoredText::ShowState::Minimized) {
        window->setWindowState(others);
        if (MinimizeApplication) MinimizeApplication();
        return;
    }
    window->setWindowState(state == StoredText::ShowState::Maximized ? others | Qt::WindowMaximized
                                                                     : others);
    window->update();
}

QRect TFormPlacement::WithReachableTitleBar(const QRect& frame, const QList<QRect>& screens) {
    // Enough of the bar to take hold of with the mouse.
    constexpr int kTitleHeight = 24;
    constexpr int kGrip = 48;
    constexpr int kGripHeight = 8;
    const QRect bar(frame.left(), frame.top(), frame.width(), kTitleHeight);
    const int grip = std::min(kGrip, frame.width());
    const QRect* nearest = nullptr;
    long long nearestDistance = LLONG_MAX;
    for (const QRect& screen : screens) {
        if (screen.isEmpty()) continue;
        const QRect shared = screen.intersected(bar);
        if (shared.width() >= grip && shared.height() >= kGripHeight) return frame;
        const QPoint centre = bar.center();
        const long long dx = centre.x() - std::clamp(centre.x(), screen.left(), screen.right());
        const long long dy = centre.y() - std::clamp(centre.y(), screen.top(), screen.bottom());
        if (dx * dx + dy * dy < nearestDistance) {
            nearestDistance = dx * dx + dy * dy;
            nearest = &screen;
        }
    }
    return nearest ? FitOnto(frame, *nearest) : frame;
}

void TFormPlacement::PinMaximizedPosition() {
    // The sizing frame: what the window system adds left of and below the
    // client area; unknown (zero) until the window is on screen.
    const QRect frame = owner_->frameGeometry();
    const QRect client = owner_->geometry();
    maxPosition_ = QPoint(-(client.left() - frame.left()), -(frame.bottom() - client.bottom()));
}

void TFormPlacement::CaptureWindowPlacement() {
    QWidget* window = owner_;
    int showCmd = 1;
    if (window->isMinimized())
        showCmd = 2;
    else if (window->isMaximized())
        showCmd = 3;

    writeInteger(QStringLiteral("Flags"), flags_);
    writeInteger(QStringLiteral("ShowCmd"), showCmd);
    writeInteger(QStringLiteral("PixelsPerInch"), PixelsPerInch());

    const QString minMax = QString::fromStdString(StoredText::FormatFour(
        minPosition_.x(), minPosition_.y(), maxPosition_.x(), maxPosition_.y()));
    WriteText(QStringLiteral("MinMaxPos") + ScreenSuffix(), minMax);
    WriteText(QStringLiteral("MinMaxPos"), minMax);

    // The normal rectangle: frame top-left and client size. While maximised
    // or minimised, the last one the window had in the normal state.
    QRect normal(PlacesWindows() ? window->pos() : unplacedPosition_, window->size());
    if (showCmd != 1 || window->isFullScreen()) {
        if (normalRect_.isValid())
            normal = normalRect_;
        else if (window->normalGeometry().isValid())
            normal =
                window->normalGeometry().translated(window->pos() - window->geometry().topLeft());
    }
    const QString norm = QString::fromStdString(StoredText::FormatFour(
        normal.left(), normal.top(), clampToInt(0LL + normal.left() + normal.width()),
        clampToInt(0LL + normal.top() + normal.height())));
    WriteText(QStringLiteral("NormPos") + ScreenSuffix(), norm);
    WriteText(QStringLiteral("NormPos"), norm);
}

// ---- TFormStorage -----------------------------------------------------------

TFormStorage::TFormStorage(QWidget* owner) : TFormPlacement(owner) {}

void TFormStorage::SetStoredProps(const QStringList& entries) {
    storedProps_.clear();
    for (const QString& entry : entries) {
        QString component, property;
        if (!TPropsStorage::SplitEntry(entry, &component, &property)) continue;
        if (!TPropsStorage::FindComponent(Owner(), component)) continue;
        storedProps_.append(entry);
    }
}

TPropsStorage TFormStorage::props() {
    return TPropsStorage(
        Owner(), [this](const QString& name, const QString& def) { return ReadText(name, def); },
        [this](const QString& name, const QString& value) { WriteText(name, value); });
}

void TFormStorage::CaptureStoredProps() {
    props().CaptureStoredProps(storedProps_);
}

void TFormStorage::ApplyStoredProps() {
    props().ApplyStoredProps(storedProps_);
}

void TFormStorage::ApplyStoredPropsLate(const QStringList& entries) {
    QStringList kept;
    for (const QString& entry : entries)
        if (storedProps_.contains(entry)) kept.append(entry);
    if (kept.isEmpty()) return;
    RecallLate([this, &kept] { props().ApplyStoredProps(kept); });
}

void TFormStorage::SavePlacement() {
    TFormPlacement::SavePlacement();
    CaptureStoredProps();
}

void TFormStorage::RestorePlacement() {
    TFormPlacement::RestorePlacement();
    ApplyStoredProps();
}
