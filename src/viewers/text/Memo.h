#pragma once

#include <QPlainTextEdit>
#include <QString>

#include <cstddef>
#include <string>

#include "viewers/text/Font.h"
#include "viewers/text/TextReadAhead.h"
#include "viewers/text/core/TextDecode.h"

class QTimer;
class QWidget;

/**
 * txtText: the read-only text area of the TEXT page. Bytes become characters
 * through the locale's charset (text::DecodeText). It holds the line-break
 * normalised bytes of the last loaded file (the text up to its first NUL) so
 * that loading a file whose text is unchanged leaves the view untouched.
 * ScrollBars decides the scroll bars and, through them, word wrap; Font is
 * the stored font object the view draws in.
 *
 * A long text is shown at once and filled in behind: the view takes its
 * first screenful in the load itself and the rest in pieces from the event
 * loop, a few milliseconds at a time, so the window stays responsive. The
 * content, the scroll position and the selection are those of a text set
 * in one go; the unchanged-text rule compares with the whole text.
 */
class TMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(TScrollStyle ScrollBars READ ScrollBars WRITE SetScrollBars)
    Q_PROPERTY(TFont* Font READ Font)

public:
    enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
    Q_ENUM(TScrollStyle)

    /// The most characters the view takes. Measured on 50 MB of text: a
    /// loaded view holds about 7.4 bytes of heap per character (6.4 of them
    /// the text widget's own) and the load peaks near 7.8 bytes of resident
    /// memory per file byte, so a full view stays near 2 GB. Larger files
    /// are refused by their size before a byte is read.
    static constexpr std::size_t kCapacity = std::size_t(256) << 20;
    /// The longest line the view takes. A line is laid out whole when it is
    /// shown, at about 41 bytes of memory and a microsecond or more per
    /// character: one line of 100 MB would take 4 GB and minutes, a line of
    /// this length about 45 MB and a second at most.
    static constexpr std::size_t kLineCapacity = std::size_t(1) << 20;

    explicit TMemo(QWidget* parent = nullptr);

    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);

    TFont* Font() const { return font_; }

    /// Replaces the content with the text of the file at path (see Memo.cpp).
    /// The same file again with text added at its end keeps the place: the
    /// new text is appended. Throws EError on failure and then leaves the
    /// content as it was.
    void LoadTextFile(const QString& path);

    /// The content as normalised bytes (CR LF between lines).
    const std::string& Content() const { return content_; }

    /// Capacities used by LoadTextFile; tests lower them.
    void SetCapacity(std::size_t capacity, std::size_t lineCapacity = kLineCapacity) {
        capacity_ = capacity;
        lineCapacity_ = lineCapacity;
        readAhead_.SetCapacity(capacity, lineCapacity);
    }

    /// The text files likely to be shown next, the likeliest first: they are
    /// read and prepared on a worker, so that LoadTextFile only sets them.
    void ReadAhead(const QStringList& paths) { readAhead_.Want(paths); }
    const TTextReadAhead& TextsAhead() const { return readAhead_; }

    /// How bytes become characters: the locale's charset unless set here
    /// (benchmarks set the 8-bit decoding as their baseline). Takes effect
    /// with the next text that differs from the one shown.
    text::TextCharset Charset() const { return charset_; }
    void SetCharset(text::TextCharset charset) { charset_ = charset; }

    /// Whether part of the content is still to be filled in.
    bool IsFilling() const { return filled_ < content_.size(); }
    /// Fills in the rest of the content now (tests, benchmarks).
    void FinishFilling();

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyScrollBars();
    void applyFont();
    void showFromStart();
    void fillSome();

    TScrollStyle scrollBars_ = ssVertical;
    TFont* font_ = nullptr;
    text::TextCharset charset_;
    std::string content_;
    QString path_;  // the file content_ was read from
    std::size_t capacity_ = kCapacity;
    std::size_t lineCapacity_ = kLineCapacity;
    // How many bytes of content_ the text area holds so far.
    std::size_t filled_ = 0;
    QTimer* fillTimer_ = nullptr;
    TTextReadAhead readAhead_{kCapacity, kLineCapacity};
};
