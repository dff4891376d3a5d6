#include "window/MainWindowUnit.h"

// Qt
#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

// C++
#include <algorithm>
#include <utility>

// Project
#include "about/AboutWindowUnit.h"
#include "base/ErrorReport.h"
#include "host/ActionList.h"
#include "host/ApplicationTitle.h"
#include "host/Paths.h"
#include "host/Product.h"
#include "host/ScreenFit.h"
#include "host/ToolButton.h"
#include "window/FileList.h"
#include "window/FileMenu.h"
#include "window/FolderWatch.h"

namespace {

// The local file or folder a drop opens: the first of those dragged, when it
// is one; empty for anything else (addresses, text), which is refused.
QString droppedPath(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
    const QString path = urls.first().toLocalFile();
    const QFileInfo info(path);
    return info.isFile() || info.isDir() ? path : QString();
}

// The pages of the window itself, by their object names and in the order
// of TMessagePage; the viewers' pages come before them.
const char* const kMessagePages[] = {"NOFILES", "INVALIDDIRECTORY"};

QString messagePageName(TMessagePage page) {
    return QString::fromLatin1(kMessagePages[int(page)]);
}

QPalette windowColourPalette(QPalette p) {
    // The window colour of the toolbars and message pages is the background
    // of text areas (white in most themes), not the grey of dialogs.
    p.setColor(QPalette::Window, p.color(QPalette::Base));
    return p;
}

}  // namespace

TMainWindow::TMainWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("MainWindow"));
    files_ = new TFileList;
    buildLayout();
    buildCommands();
    OnShow = [this] { FormShow(); };
    // The commands follow the file list; the update waits while the window
    // cannot show it (hidden, disabled, under a modal dialog, the toolbar
    // hidden) and runs when it can again (see eventFilter).
    commandsUpdate_ = new QTimer(this);
    commandsUpdate_->setSingleShot(true);
    commandsUpdate_->setInterval(0);
    connect(commandsUpdate_, &QTimer::timeout, this, [this] {
        if (!destroyed_) actionList_->UpdateShowing();
    });
    connect(files_, &TFileList::Changed, commandsUpdate_, qOverload<>(&QTimer::start));
    qApp->installEventFilter(this);
}

TMainWindow::~TMainWindow() {
    qApp->removeEventFilter(this);
    RunDestroy();
    delete files_;
}

void TMainWindow::RunDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    Guarded([this] {
        emit Destroying();
        FormDestroy();
    });
}

void TMainWindow::buildLayout() {
    // Deliberate: the caption before the first file is the window's name, as
    // it always was; black-box tests look for it. Do not "fix".
    setWindowTitle(QStringLiteral("MainWindow"));
    setFont(QFont(QLatin1String(kDefaultFaceName), 8));
    setPalette(windowColourPalette(palette()));
    setAutoFillBackground(true);
    move(206, 162);
    resize(696, 480);
    setAcceptDrops(true);  // files and folders from a file manager

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    nbDisplay = new QStackedWidget(this);
    nbDisplay->setObjectName(QStringLiteral("nbDisplay"));
    for (const char* name : kMessagePages) {
        auto* page = new QWidget(nbDisplay);
        page->setObjectName(QString::fromLatin1(name));
        nbDisplay->addWidget(page);
    }
    nbDisplay->setCurrentIndex(0);
    layout->addWidget(nbDisplay, 1);

    panToolbar = new QWidget(this);
    panToolbar->setObjectName(QStringLiteral("panToolbar"));
    // Room for both rows from the start, so the window does not change when
    // the file-name row comes after the first paint; more if fonts need it.
    panToolbar->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    panToolbar->setMinimumHeight(69);
    layout->addWidget(panToolbar);
    auto* toolbarLayout = new QVBoxLayout(panToolbar);
    toolbarLayout->setContentsMargins(0, 8, 15, 8);
    toolbarLayout->setSpacing(10);

    const struct {
        const char* name;
        const char* glyph;
        bool startsGroup;
    } buttons[] = {{"btnBack", "back", false},
                   {"btnNext", "next", false},
                   {"btnSelectFile", "select-file", false},
                   {"btnOpen", "open", true},
                   {"btnExecute", "execute", true},
                   {"btnExecuteFolder", "execute-folder", false},
                   {"btnExtensions", "extensions", true},
                   {"btnAbout", "about", true}};
    QHBoxLayout* row = MakeToolRow();
    row->setContentsMargins(8, 0, 0, 0);
    for (const auto& b : buttons) {
        QToolButton* button =
            MakeToolButton(panToolbar, QString::fromLatin1(b.name),
                           QStringLiteral(":/glyphs/%1.glyph").arg(QLatin1String(b.glyph)));
        button->setFocusPolicy(Qt::NoFocus);
        if (b.startsGroup)
            AddToolGroup(row, button);
        else
            AddToolButton(row, button);
    }
    EndToolRow(row);
    toolbarLayout->addLayout(row);
    toolbarLayout->addStretch(1);
    // Laid out now, so that the buttons stand where they belong before the
    // window is first shown (nothing here measures text).
    layout->activate();
    toolbarLayout->activate();

    pmFiles = new TFileMenu(this);
    connect(pmFiles, &TFileMenu::Chosen, this,
            [this](int index) { Guarded([this, index] { ShowIndex(index); }); });
    // The list is not rebuilt under an open menu, whose items are its indexes.
    connect(pmFiles, &TFileMenu::Hidden, this, [this] {
        if (!folderChangedInMenu_) return;
        folderChangedInMenu_ = false;
        QMetaObject::invokeMethod(
            this, [this] { Guarded([this] { FollowFolder(); }); }, Qt::QueuedConnection);
    });

    watch_ = new TFolderWatch(this);
    connect(watch_, &TFolderWatch::FolderChanged, this,
            [this] { Guarded([this] { FollowFolder(); }); });
    connect(watch_, &TFolderWatch::FileSettled, this,
            [this] { Guarded([this] { ReloadShown(); }); });
}

// What shows text waits for the first paint (finishAfterFirstPaint) or for
// its first use: measuring or drawing text loads the font configuration, the
// font list and a font, which the first picture does not need.

void TMainWindow::buildFileNameBox() {
    if (txtFileName) return;
    auto* label = new QLabel(QStringLiteral("File name:"), panToolbar);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumSize(49, 17);
    txtFileName = new QLineEdit(fileName_, panToolbar);
    txtFileName->setObjectName(QStringLiteral("txtFileName"));
    txtFileName->setReadOnly(true);
    // 21 pixels as designed, or what a larger font needs; the style's own
    // hint is a pixel taller than the design.
    txtFileName->setFixedHeight(std::max(21, txtFileName->fontMetrics().height() + 8));

    // The box starts at 64, 7 pixels right of its label, and ends 15 pixels
    // short of the toolbar's right edge. A label wider than its 49 pixels
    // first takes the row's left margin, then pushes the box right.
    const int labelWidth = std::max(49, label->sizeHint().width());
    auto* row = new QHBoxLayout;
    row->setContentsMargins(std::max(0, 57 - labelWidth), 0, 0, 0);
    row->setSpacing(7);
    row->addWidget(label, 0, Qt::AlignTop);
    row->addWidget(txtFileName, 1, Qt::AlignTop);
    auto* toolbarLayout = static_cast<QVBoxLayout*>(panToolbar->layout());
    toolbarLayout->insertLayout(1, row);
    toolbarLayout->activate();
    label->show();
    txtFileName->show();
    // Built late (after the first paint), it still takes the focus first, as
    // the window's first control in tab order, unless the user has already
    // put the focus elsewhere.
    if (!focusChosen_) txtFileName->setFocus(Qt::OtherFocusReason);
}

void TMainWindow::buildMessages() {
    if (messagesBuilt_) return;
    messagesBuilt_ = true;
    const auto addMessage = [this](TMessagePage message, const QString& text) {
        QWidget* page = Page(messagePageName(message));
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        auto* panel = new QLabel(text, page);
        panel->setAlignment(Qt::AlignCenter);
        panel->setAutoFillBackground(true);
        pageLayout->addWidget(panel);
    };
    // Deliberate: the text stays word for word, errors included; users and
    // black-box tests know the page by it. Do not "fix".
    addMessage(TMessagePage::NoFiles,
               QStringLiteral("This directory doesn't contains any supprorted files"));
    addMessage(TMessagePage::InvalidDirectory, QStringLiteral("Invalid folder name"));
}

void TMainWindow::finishAfterFirstPaint() {
    if (destroyed_) return;
    Guarded([this] {
        buildFileNameBox();
        buildMessages();
        installPendingViewers();
    });
}

QLineEdit* TMainWindow::FileNameBox() {
    buildFileNameBox();
    return txtFileName;
}

void TMainWindow::setFileName(const QString& name) {
    fileName_ = name;
    if (txtFileName) txtFileName->setText(name);
}

void TMainWindow::buildCommands() {
    actionList_ = new TActionList(this);
    const auto ctrl = [](Qt::Key key) { return QKeySequence(Qt::CTRL | key); };
    TAction* back = actionList_->Add("NavigationBack", "Go to previous file", ctrl(Qt::Key_Q));
    TAction* forward = actionList_->Add("NavigationForward", "Go to next file", ctrl(Qt::Key_W));
    TAction* select = actionList_->Add("NavigationSelectFile", "Go to file...");
    TAction* open = actionList_->Add("FileOpen", "Open...", ctrl(Qt::Key_O));
    TAction* execute =
        actionList_->Add("FileExecute", "Open file in default program...", ctrl(Qt::Key_E));
    TAction* folder = actionList_->Add("FileExecuteFolder", "Open current folder in explorer...",
                                       ctrl(Qt::Key_F));
    TAction* extensions = actionList_->Add("OptionsExtensions", "File types to browse...");
    TAction* about = actionList_->Add("HelpAbout", "About...");

    const auto navigationUpdate = [this](TAction& a) { a.setEnabled(files_->Count() > 0); };
    for (TAction* a : {back, forward, select}) {
        a->OnUpdate = navigationUpdate;
        a->setEnabled(false);
    }
    back->OnExecute = [this] { ShowPrevious(); };
    forward->OnExecute = [this] { ShowNext(); };
    select->OnExecute = [this] { PopupFileMenu(); };
    open->OnExecute = [this] { ChooseFile(); };
    execute->OnExecute = [this] { FileExecute(); };
    folder->OnExecute = [this] { FileExecuteFolder(); };
    (void)extensions;
    about->OnExecute = [this] { HelpAboutExecute(this); };

    const struct {
        const char* button;
        const char* action;
    } bindings[] = {{"btnBack", "NavigationBack"},
                    {"btnNext", "NavigationForward"},
                    {"btnSelectFile", "NavigationSelectFile"},
                    {"btnOpen", "FileOpen"},
                    {"btnExecute", "FileExecute"},
                    {"btnExecuteFolder", "FileExecuteFolder"},
                    {"btnExtensions", "OptionsExtensions"},
                    {"btnAbout", "HelpAbout"}};
    for (const auto& b : bindings)
        BindButton(Button(QString::fromLatin1(b.button)), Action(QString::fromLatin1(b.action)));
}

QWidget* TMainWindow::Page(const QString& name) const {
    return nbDisplay->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
}

TAction* TMainWindow::Action(const QString& name) const {
    return actionList_->Find(name);
}

QToolButton* TMainWindow::Button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

// ---- Viewers -------------------------------------------------------------------

void TMainWindow::addPage(const QString& name) {
    if (name.isEmpty() || Page(name)) return;
    auto* page = new QWidget(nbDisplay);
    page->setObjectName(name);
    nbDisplay->insertWidget(nbDisplay->count() - int(std::size(kMessagePages)), page);
    // Until a file is shown the first page registered stays up, whichever
    // page was added last.
    if (!pageChosen_) nbDisplay->setCurrentIndex(0);
}

void TMainWindow::RegisterViewer(const TViewerRecord& record) {
    addPage(record.page);
    if (record.keysFirst && !keysFirstPages_.contains(record.page))
        keysFirstPages_.append(record.page);
    for (const TViewerCommand& c : record.commands)
        if (!Action(c.name)) actionList_->Add(c.name, c.hint, c.shortcut);
    viewers_.push_back({record, {}, false});
    if (!record.buildAfterFirstPaint || firstPaintSeen_) installViewer(viewers_.size() - 1);
}

void TMainWindow::installViewer(std::size_t index) {
    if (viewers_[index].installed) return;
    viewers_[index].installed = true;
    // A copy: installing may register a viewer, which moves the records.
    const TViewerRecord record = viewers_[index].record;
    const int outer = std::exchange(installing_, int(index));
    TViewerLoad load = record.install ? record.install(*this) : TViewerLoad();
    installing_ = outer;
    viewers_[index].load = std::move(load);
    if (isFullScreen()) showToolbars(record, false);
    if (record.buildAfterFirstPaint) emit ViewerInstalled(record);
}

void TMainWindow::showToolbars(const TViewerRecord& record, bool visible) {
    QWidget* page = Page(record.page);
    for (const QString& name : record.toolbars)
        if (QWidget* bar = page ? page->findChild<QWidget*>(name) : nullptr)
            bar->setVisible(visible);
}

void TMainWindow::SetFullScreen(bool on) {
    if (on == isFullScreen()) return;
    panToolbar->setVisible(!on);
    for (const TRegisteredViewer& viewer : viewers_)
        if (viewer.installed) showToolbars(viewer.record, !on);
    if (on) {
        maximizedBeforeFullScreen_ = isMaximized();
        showFullScreen();
    } else if (maximizedBeforeFullScreen_) {
        showMaximized();
    } else {
        showNormal();
    }
}

void TMainWindow::installPendingViewers() {
    for (std::size_t i = 0; i < viewers_.size(); ++i) installViewer(i);
}

int TMainWindow::viewerFor(const QString& path) const {
    return ViewerIndexFor(viewers_, path, [](const TRegisteredViewer& v) -> const TViewerRecord& {
        return v.record;
    });
}

QStringList TMainWindow::DefaultExtensions() const {
    QStringList types = fileTypeOrder_;
    for (const TRegisteredViewer& viewer : viewers_)
        for (const QString& extension : viewer.record.extensions) {
            const QString type = extension.mid(1);
            if (!types.contains(type)) types.append(type);
        }
    return types;
}

QStringList TMainWindow::StoredProps() const {
    QStringList props;
    for (const TRegisteredViewer& viewer : viewers_)
        for (const QString& entry : viewer.record.storedProps)
            if (!props.contains(entry)) props.append(entry);
    return props;
}

void TMainWindow::ReportError(std::exception_ptr error) {
    ::ReportError(error);
}

void TMainWindow::AddReadAhead(TViewerReadAhead readAhead) {
    readAheads_.append({installing_, std::move(readAhead)});
}

const QStringList& TMainWindow::Files() const {
    return files_->Items();
}

bool TMainWindow::messageShown(TMessagePage page) const {
    return ActivePageName() == messagePageName(page);
}

QString TMainWindow::ActivePageName() const {
    QWidget* page = nbDisplay->currentWidget();
    return page ? page->objectName() : QString();
}

void TMainWindow::activatePage(const QString& name) {
    pageChosen_ = true;
    if (std::find(std::begin(kMessagePages), std::end(kMessagePages), name) !=
        std::end(kMessagePages))
        buildMessages();
    if (QWidget* page = Page(name)) nbDisplay->setCurrentWidget(page);
}

// ---- Creation, first show, destruction ---------------------------------------

void TMainWindow::Create() {
    FormCreate();
    emit Created();
}

void TMainWindow::FormCreate() {
    currentIndex_ = 0;
    files_->Clear();
    extensions_ = DefaultExtensions();
}

void TMainWindow::RunFirstShow() {
    if (firstShowDone_) return;
    firstShowDone_ = true;
    // The initial bounds suit a large screen; a stored placement, restored on
    // FirstShowing(), still wins over what is made of them here.
    keepOnScreen();
    const QRect guessed = geometry();
    Guarded([this] {
        emit FirstShowing();
        if (OnShow) OnShow();
    });
    // Bounds the first showing left alone are this run's own: they are checked
    // again against the real frame once it is known.
    frameCheckPending_ = geometry() == guessed && !isMaximized() && !isFullScreen();
}

QRect TMainWindow::KeepOnScreen(const QRect& frame, const QRect& available) {
    return FitOnto(frame, available);
}

void TMainWindow::keepFrameOnScreen() {
    QScreen* on = screen();
    if (!on || !windowHandle()) return;
    const QMargins margins = windowHandle()->frameMargins();
    const QRect frame = frameGeometry();
    const QRect fitted = KeepOnScreen(frame, on->availableGeometry());
    if (fitted == frame) return;
    move(fitted.topLeft());
    resize(fitted.size().shrunkBy(margins));
}

void TMainWindow::keepOnScreen() {
    QScreen* on = screen();
    if (!on) return;
    // Before the window is mapped its frame is unknown: allow for a title bar
    // and a border; the real frame is checked once it is known.
    QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (margins.isNull()) {
        const int border = 4;
        margins = QMargins(border,
                           style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this) + border,
                           border, border);
    }
    const QRect frame(pos(), size().grownBy(margins));
    const QRect fitted = KeepOnScreen(frame, on->availableGeometry());
    if (fitted == frame) return;
    move(fitted.topLeft());
    resize(fitted.size().shrunkBy(margins));
}

void TMainWindow::Close() {
    if (isVisible()) {
        close();
        return;
    }
    // Closed before it was ever shown (the open dialog was cancelled at
    // start): Closing() is still emitted, so settings are saved as usual.
    emit Closing();
    closed_ = true;
}

void TMainWindow::showEvent(QShowEvent* event) {
    RunFirstShow();
    QWidget::showEvent(event);
}

void TMainWindow::closeEvent(QCloseEvent* event) {
    // Pages still to be built are built, so that their settings are saved.
    Guarded([this] { installPendingViewers(); });
    Guarded([this] { emit Closing(); });
    closed_ = true;
    event->accept();
}

void TMainWindow::FormDestroy() {
    files_->Clear();
    extensions_.clear();
}

// ---- Caption and dispatch ----------------------------------------------------

void TMainWindow::SetCaption(const QString& text) {
    SetApplicationTitle(text);
    setWindowTitle(text);
}

void TMainWindow::ShowMessage(TMessagePage page) {
    ShowPage(messagePageName(page));
}

void TMainWindow::ShowPage(const QString& pageName) {
    watch_->FollowFile({});
    activatePage(pageName);
    SetCaption(QLatin1String(kProductName));
    setFileName({});
}

void TMainWindow::ShowFile(const QString& name) {
    setFileName(name);
    const int index = viewerFor(name);
    // Any other extension: only the file-name box changes.
    if (index < 0) return;
    installViewer(std::size_t(index));
    // Copies: a load may run anything, registering a viewer included.
    const TRegisteredViewer& viewer = viewers_[std::size_t(index)];
    const TViewerLoad load = viewer.load;
    const bool captionAfterLoad = viewer.record.captionAfterLoad;
    activatePage(viewer.record.page);
    if (load) load(name);
    watch_->FollowFile(name);
    if (captionAfterLoad) SetCaption(name);
}

void TMainWindow::ReloadShown() {
    const QString path = watch_->File();
    if (path.isEmpty()) return;
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kAfterModalMs, this, [this] { Guarded([this] { ReloadShown(); }); });
        return;
    }
    const int index = viewerFor(path);
    if (index < 0) return;
    const TViewerLoad load = viewers_[std::size_t(index)].load;
    if (!load) return;
    const TFileStamp asRead = watch_->StampNow();
    try {
        load(path);
    } catch (...) {
        // Not while the file may still be written: it is tried once more
        // after a longer rest, and only a file still failing then is reported.
        if (watch_->ReloadFailed()) ::ReportError(std::current_exception());
        return;
    }
    watch_->Reloaded(asRead);
}

// ---- Keys and resizing -----------------------------------------------------------

// Filters every object of the application, among them the web engine's own,
// whose classes are built without run-time type information: the sanitizer's
// check of the dynamic type cannot read them and would report a fault.
#if defined(__GNUC__)
__attribute__((no_sanitize("vptr")))
#endif
bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == this || watched == panToolbar) &&
        (event->type() == QEvent::Show || event->type() == QEvent::EnabledChange ||
         event->type() == QEvent::WindowUnblocked))
        commandsUpdate_->start();
    if (frameCheckPending_ && watched == this &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
         event->type() == QEvent::Paint) &&
        windowHandle() && !windowHandle()->frameMargins().isNull()) {
        frameCheckPending_ = false;
        keepFrameOnScreen();
    }
    if (!firstPaintSeen_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        if (event->type() == QEvent::Paint) {
            // The rest is built once this paint is on the screen.
            firstPaintSeen_ = true;
            QMetaObject::invokeMethod(this, &TMainWindow::finishAfterFirstPaint,
                                      Qt::QueuedConnection);
        } else if (event->type() == QEvent::FocusIn &&
                   static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason) {
            focusChosen_ = true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this &&
        stepKey(*static_cast<QKeyEvent*>(event)))
        return true;
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick) &&
        watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        // The mouse's back and forward buttons step on every page (a web
        // page's history is not what they go through here).
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::BackButton || button == Qt::ForwardButton) {
            if (event->type() == QEvent::MouseButtonPress && !files_->IsEmpty())
                Guarded([this, button] { button == Qt::BackButton ? ShowPrevious() : ShowNext(); });
            return true;
        }
    }
    if ((event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop) &&
        watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        // Every control of the window, the web page and the text among them,
        // takes a dragged file or folder as the window does, and nothing else.
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = droppedPath(drop->mimeData());
        if (path.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop) {
            // Opened once the drop is over: the dragging program is not kept
            // waiting for a load, nor for an error box.
            QMetaObject::invokeMethod(
                this, [this, path] { Guarded([this, path] { OpenPath(path); }); },
                Qt::QueuedConnection);
        }
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType()) {
        // The window's commands see a key before the focused control does,
        // except inside the web page, which sees keys first.
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != this) return false;
        for (const QString& name : keysFirstPages_)
            if (QWidget* page = Page(name); page && page->isAncestorOf(widget)) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (actionList_->IsEnabledShortcut(QKeySequence(key->keyCombination()))) {
            event->ignore();
            return true;
        }
    }
    return false;
}

bool TMainWindow::stepKey(const QKeyEvent& key) {
    if (key.modifiers() & ~Qt::KeypadModifier) return false;
    const QString pageName = ActivePageName();
    bool steps = false;
    std::function<bool(QWidget*, int)> pageKey;
    for (const TRegisteredViewer& viewer : viewers_)
        if (viewer.record.page == pageName && viewer.record.stepKeys) {
            steps = true;
            if (viewer.record.pageKey) pageKey = viewer.record.pageKey;
        }
    if (!steps || files_->IsEmpty()) return false;
    std::function<void()> step;
    switch (key.key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down:
            if (pageKey && pageKey(Page(pageName), key.key())) return true;
            if (key.key() == Qt::Key_Left || key.key() == Qt::Key_Up)
                step = [this] { ShowPrevious(); };
            else
                step = [this] { ShowNext(); };
            break;
        case Qt::Key_PageUp:
        case Qt::Key_Backspace:
            step = [this] { ShowPrevious(); };
            break;
        case Qt::Key_PageDown:
        case Qt::Key_Space:
            step = [this] { ShowNext(); };
            break;
        case Qt::Key_Home:
            step = [this] { ShowIndex(0); };
            break;
        case Qt::Key_End:
            step = [this] { ShowIndex(files_->Count() - 1); };
            break;
        default:
            return false;
    }
    Guarded(step);
    return true;
}

void TMainWindow::keyPressEvent(QKeyEvent* event) {
    // Reached by the keys no control took: a web page's own keys come first.
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (plain && event->key() == Qt::Key_F11) {
        SetFullScreen(!isFullScreen());
        return;
    }
    if (plain && event->key() == Qt::Key_Escape && isFullScreen()) {
        SetFullScreen(false);
        return;
    }
    QWidget::keyPressEvent(event);
}
