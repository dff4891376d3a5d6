#include "about/AboutWindowUnit.h"

// ---- Qt
#include <QDesktopServices>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

// ---- Standard library
#include <memory>

// ---- Project
#include "host/Product.h"
#include "host/PushButton.h"

namespace {

constexpr int kIconSize = 33;

const char* const kIconResource = ":/icons/tarvel-viewer.svg";

// A label the size of its text.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
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

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // A raised inner and a lowered outer bevel: the etched frame.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setMinimumSize(281, 161);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setFixedSize(kIconSize, kIconSize);
    ProgramIcon->setAlignment(Qt::AlignCenter);
    ProgramIcon->setPixmap(windowIcon().pixmap(QSize(kIconSize, kIconSize)));

    ProductName = makeLabel(Panel1, "ProductName", productNameText());
    Version = makeLabel(Panel1, "Version", versionText());
    Copyright = makeLabel(Panel1, "Copyright", noticeText());

    Comments = makeLabel(Panel1, "Comments", webPageAddress());
    Comments->setWordWrap(true);
    Comments->setCursor(Qt::PointingHandCursor);
    QFont linkFont = Comments->font();
    linkFont.setUnderline(true);
    Comments->setFont(linkFont);
    QPalette linkPalette = Comments->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Comments->setPalette(linkPalette);
    // It wraps within the panel's width, whatever width its text asks for.
    Comments->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    Comments->installEventFilter(this);

    // The panel's lines, from its top: name and version beside the icon, the
    // notice, the link. Each line's top is where the box was designed to have
    // it; a taller font moves what follows down. Margins are from the
    // panel's outer edge.
    const int frame = Panel1->frameWidth();
    auto* lines = new QGridLayout(Panel1);
    lines->setContentsMargins(8 - frame, 16 - frame, 8 - frame, 8 - frame);
    lines->setSpacing(0);
    lines->setColumnMinimumWidth(0, 80);
    lines->setColumnStretch(1, 1);
    const int lineTops[] = {16, 40, 80, 104};
    for (int line = 0; line + 1 < 4; ++line)
        lines->setRowMinimumHeight(line, lineTops[line + 1] - lineTops[line]);
    auto* icon = new QVBoxLayout;
    icon->setContentsMargins(24 - 8, 24 - 16, 0, 0);
    icon->addWidget(ProgramIcon, 0, Qt::AlignLeft | Qt::AlignTop);
    lines->addLayout(icon, 0, 0, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    lines->addWidget(ProductName, 0, 1, Qt::AlignLeft | Qt::AlignTop);
    lines->addWidget(Version, 1, 1, Qt::AlignLeft | Qt::AlignTop);
    lines->addWidget(Copyright, 2, 0, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    lines->addWidget(Comments, 3, 0, 1, 2, Qt::AlignTop);
    lines->setRowStretch(4, 1);

    OKButton = new TPushButton(QStringLiteral("OK"), QSize(75, 25), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    // The box takes the size its contents need (298 x 213 as designed) and
    // cannot be resized.
    auto* box = new QVBoxLayout(this);
    box->setSizeConstraint(QLayout::SetFixedSize);
    box->setContentsMargins(8, 8, 9, 8);
    box->setSpacing(11);
    box->addWidget(Panel1);
    box->addWidget(OKButton, 0, Qt::AlignHCenter);
    // Laid out now, panel included, so the box has its size and places
    // before it is first shown.
    box->activate();
    lines->activate();

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
