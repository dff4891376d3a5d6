#include "about/AboutWindowUnit.h"

// ---- Qt
#include <QDesktopServices>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

// ---- Standard library
#include <memory>

// ---- Project
#include "host/Product.h"

namespace {

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 213;
constexpr int kIconSize = 33;
// The link label wraps inside the panel, keeping the panel's margin on the right.
constexpr int kCommentsWidth = 265;

const char* const kIconResource = ":/icons/tarvel-viewer.svg";

// A label that takes the size of its text, as the box's labels do.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

}  // namespace

// The resource objects sit in this library's archive; referring to them here
// makes the linker keep them for a program that links only the about box.
// A program that links them directly as well merely registers them twice.
static void useResources() {
    static const bool once = [] {
        Q_INIT_RESOURCE(tarvel_resources);
        return true;
    }();
    (void)once;
}

std::function<void(const QString&)> TAboutWindow::OpenUrl = [](const QString& address) {
    // Its result is not examined: the desktop reports its own failures.
    QDesktopServices::openUrl(QUrl(address));
};

QString TAboutWindow::productNameText() {
    return QLatin1String(kProductName);
}
QString TAboutWindow::versionText() {
    return QStringLiteral("Version ") + ProductVersion();
}
QString TAboutWindow::noticeText() {
    return QStringLiteral("Copyright \u00A9 2026 TarvelSoftware");
}
QString TAboutWindow::webPageAddress() {
    return QStringLiteral("https://www.example.com/tarvel-viewer/");
}

TAboutWindow::TAboutWindow(QWidget* owner) : QDialog(owner) {
    useResources();
    setObjectName(QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(QIcon(QLatin1String(kIconResource)));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                   ~Qt::WindowContextHelpButtonHint);
    QFont font(QString::fromLatin1(kDefaultFaceName));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // A raised inner and a lowered outer bevel: the etched frame.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 281, 161);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(24, 24, kIconSize, kIconSize);
    ProgramIcon->setAlignment(Qt::AlignCenter);
    ProgramIcon->setPixmap(windowIcon().pixmap(QSize(kIconSize, kIconSize)));

    ProductName = makeLabel(Panel1, "ProductName", productNameText(), 88, 16);
    Version = makeLabel(Panel1, "Version", versionText(), 88, 40);
    Copyright = makeLabel(Panel1, "Copyright", noticeText(), 8, 80);

    Comments = new QLabel(webPageAddress(), Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setTextFormat(Qt::PlainText);
    Comments->setWordWrap(true);
    Comments->setCursor(Qt::PointingHandCursor);
    QFont linkFont = Comments->font();
    linkFont.setUnderline(true);
    Comments->setFont(linkFont);
    QPalette linkPalette = Comments->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Comments->setPalette(linkPalette);
    Comments->setGeometry(8, 104, kCommentsWidth, Comments->heightForWidth(kCommentsWidth));
    Comments->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    centreOnScreen();
}

TAboutWindow::~TAboutWindow() = default;

void TAboutWindow::CommentsClick() {
    if (!OpenUrl) return;
    try {
        OpenUrl(webPageAddress());
    } catch (...) {
        // A hand-off that fails shows nothing from the viewer.
    }
}

bool TAboutWindow::eventFilter(QObject* watched, QEvent* event) {
    // A click is a left-button release over the label, as with a button.
    if (watched == Comments && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Comments->rect().contains(mouse->position().toPoint())) {
            CommentsClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutWindow::centreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void HelpAboutExecute(QWidget* owner) {
    // Created for this one showing and freed when it closes, whatever happens.
    auto box = std::make_unique<TAboutWindow>(owner);
    box->exec();
}
