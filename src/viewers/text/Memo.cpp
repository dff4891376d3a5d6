#include "viewers/text/Memo.h"

// Qt
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

// C++ standard library
#include <cstring>
#include <new>

// Project
#include "base/Error.h"
#include "viewers/text/core/TextDecode.h"
#include "viewers/text/core/TextFile.h"
#include "viewers/text/core/TextNormalize.h"
#include "viewers/text/core/TextPrepare.h"

namespace {

// The first piece covers a screen of text many times over; the others are
// sized so that one takes a few milliseconds, and the filling gives the
// event loop a turn after about kFillSliceMs.
constexpr std::size_t kFirstPiece = std::size_t(16) << 10;
constexpr std::size_t kPiece = std::size_t(64) << 10;
constexpr qint64 kFillSliceMs = 12;
// The first screen reaches the screen, with the caption, before the filling
// takes its first slice.
constexpr int kFirstFillDelayMs = 16;

QString decodePiece(text::TextCharset charset, const std::string& content, std::size_t from,
                    std::size_t to) {
    QString piece(qsizetype(to - from), Qt::Uninitialized);
    piece.truncate(qsizetype(text::DecodeText(charset, content.data() + from, to - from,
                                              reinterpret_cast<char16_t*>(piece.data()))));
    return piece;
}

}  // namespace

// The locale's charset is read when the view is made, after the application
// object has set the locale from the environment.
TMemo::TMemo(QWidget* parent)
    : QPlainTextEdit(parent), font_(new TFont(this)), charset_(text::LocaleCharset()) {
    setObjectName(QStringLiteral("txtText"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFrameShape(QFrame::NoFrame);
    setUndoRedoEnabled(false);  // read-only: an undo stack would only cost memory
    setBackgroundRole(QPalette::Base);
    font_->SetPixelsPerInch(logicalDpiY());
    connect(font_, &TFont::Changed, this, &TMemo::applyFont);
    applyFont();
    applyScrollBars();
    // Deliberate: until a file is shown the memo holds its own name, as it
    // always has; black-box tests and users see it. Do not "fix".
    content_ = "txtText";
    setPlainText(QStringLiteral("txtText"));
    filled_ = content_.size();
    fillTimer_ = new QTimer(this);
    fillTimer_->setSingleShot(true);
    fillTimer_->setInterval(0);
    connect(fillTimer_, &QTimer::timeout, this, &TMemo::fillSome);
}

void TMemo::SetScrollBars(TScrollStyle style) {
    if (style < ssNone || style > ssBoth || style == scrollBars_) return;
    scrollBars_ = style;
    applyScrollBars();
    showFromStart();
}

void TMemo::applyScrollBars() {
    const bool horizontal = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    const bool vertical = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // A horizontal scroll bar is what turns wrapping off.
    setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

void TMemo::applyFont() {
    setFont(font_->ToQFont());
    // System colours resolve against the palette this view would have by
    // default, not against a colour an earlier font put into its own.
    const QPalette standard = QApplication::palette(this);
    const QColor color = ColorToQColor(font_->Color(), standard);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, color.isValid() ? color : standard.color(QPalette::Text));
    setPalette(pal);
}

void TMemo::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::ScreenChangeInternal) font_->SetPixelsPerInch(logicalDpiY());
}

void TMemo::showFromStart() {
    moveCursor(QTextCursor::Start);
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TMemo::LoadTextFile(const QString& path) {
    std::optional<text::TPreparedText> ahead = readAhead_.Take(path);
    text::TPreparedText prepared =
        ahead ? std::move(*ahead)
              : text::PrepareTextFile(QFile::encodeName(path).toStdString(), path.toStdString(),
                                      capacity_, lineCapacity_);
    std::string& normalized = prepared.normalized;

    // The same text as shown: leave scroll position and selection alone.
    if (normalized == content_) {
        path_ = path;
        return;
    }

    if (prepared.tooLarge) throw EError(text::kTextTooLargeMessage);

    // The same file grown (a log written on): only the new text is appended,
    // from the event loop as the rest of a long text is, so the scroll
    // position and selection stay.
    if (path == path_ && normalized.size() > content_.size() &&
        normalized.compare(0, content_.size(), content_) == 0) {
        content_ = std::move(normalized);
        fillTimer_->start();
        return;
    }

    // The first screenful now, drawn once; the rest follows from the event loop.
    const std::size_t first = text::PieceEnd(normalized, 0, kFirstPiece);
    const QString head = decodePiece(charset_, normalized, 0, first);
    fillTimer_->stop();
    {
        // Drawing is suspended while the content is replaced, and resumed
        // whatever happens: a view left suspended would never be drawn again.
        struct Suspended {
            QWidget* view;
            bool updates;
            ~Suspended() { view->setUpdatesEnabled(updates); }
        } suspended{this, updatesEnabled()};
        setUpdatesEnabled(false);
        try {
            setPlainText(head);
        } catch (const std::bad_alloc&) {
            throw EError(text::kTextTooLargeMessage);
        }
        showFromStart();
        content_ = std::move(normalized);
        path_ = path;
        filled_ = first;
    }
    if (IsFilling()) fillTimer_->start(kFirstFillDelayMs);
}

void TMemo::fillSome() {
    QElapsedTimer slice;
    slice.start();
    // Appended at the end with a cursor of its own: the user's caret,
    // selection and scroll position stay where they are.
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.beginEditBlock();
    while (IsFilling() && slice.elapsed() < kFillSliceMs) {
        const std::size_t to = text::PieceEnd(content_, filled_, kPiece);
        end.insertText(decodePiece(charset_, content_, filled_, to));
        filled_ = to;
    }
    end.endEditBlock();
    if (IsFilling()) fillTimer_->start();
}

void TMemo::FinishFilling() {
    while (IsFilling()) fillSome();
    fillTimer_->stop();
}
