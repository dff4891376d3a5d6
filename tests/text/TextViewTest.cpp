// The text view: what a file's bytes look like on screen, when a reload keeps
// the view as it was, the word-wrap cycle and the two failures.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>

#include <cstring>
#include <string>

#include "TextTestFiles.h"
#include "base/Error.h"
#include "viewers/text/TextViewer.h"
#include "viewers/text/core/TextNormalize.h"

namespace {

QStringList linesOf(const TMemo& memo) {
    QStringList lines;
    for (QTextBlock b = memo.document()->begin(); b.isValid(); b = b.next()) lines << b.text();
    return lines;
}

std::string errorOf(TMemo& memo, const QString& path) {
    try {
        memo.LoadTextFile(path);
    } catch (const EError& e) {
        return e.what();
    }
    return "(no error)";
}

std::string numberedLines(int count, const char* brk) {
    std::string s;
    for (int i = 0; i < count; ++i) s += "line " + std::to_string(i) + brk;
    return s;
}

class TextViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        memo_.resize(300, 200);
        memo_.show();
        QApplication::processEvents();
    }
    TextTestFiles files_;
    TMemo memo_;
};

}  // namespace

TEST_F(TextViewTest, StartsWithItsNameAsTheOnlyLine) {
    EXPECT_EQ(memo_.objectName(), "txtText");
    EXPECT_EQ(linesOf(memo_), QStringList{"txtText"});
    EXPECT_TRUE(memo_.isReadOnly());
    EXPECT_EQ(memo_.ScrollBars(), TMemo::ssVertical);
}

TEST_F(TextViewTest, ByteSequencesBecomeLines) {
    struct Case {
        std::string bytes;
        QStringList lines;
    } cases[] = {
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"a\n\rb", {"a", "", "b"}},
        {std::string("abc\0def", 7), {"abc"}},
        {"\xEF\xBB\xBFhello", {QChar(0xFEFF) + QStringLiteral("hello")}},
        // The locale's UTF-8 (the program's charset), and Windows-1252 beside it.
        {"Caf\xC3\xA9 \xE2\x80\x94 \xE2\x80\x9Cq\xE2\x80\x9D \xE2\x9C\x93 "
         "\xE4\xB8\xAD\xF0\x9F\x98\x80\ncaf\xE9",
         {QString::fromUtf8("Caf\u00E9 \u2014 \u201Cq\u201D \u2713 \u4E2D\U0001F600"),
          QString::fromUtf8("caf\u00E9")}},
        {std::string("\xFF\xFEh\0i\0", 6), {QString::fromUtf8("\u00FF\u00FEh")}},
        {"\x80 \x9D\xE9", {QString::fromUtf8("\u20AC \u009D\u00E9")}},
        {"", {""}},
    };
    int n = 0;
    for (const Case& c : cases) {
        memo_.LoadTextFile(files_.Write(QString("case%1.txt").arg(n++), c.bytes));
        EXPECT_EQ(linesOf(memo_), c.lines) << "case " << n;
        EXPECT_EQ(memo_.textCursor().position(), 0);
    }
    EXPECT_TRUE(memo_.document()->isEmpty());  // the last case: an empty file
    EXPECT_TRUE(memo_.Content().empty());
}

TEST_F(TextViewTest, SameTextInAnotherBreakStyleOrGrownKeepsScrollAndSelection) {
    memo_.LoadTextFile(files_.Write("crlf.txt", numberedLines(500, "\r\n")));
    QScrollBar* bar = memo_.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    bar->setValue(100);
    QTextCursor cursor(memo_.document());
    cursor.setPosition(40);
    cursor.setPosition(60, QTextCursor::KeepAnchor);
    memo_.setTextCursor(cursor);
    bar->setValue(100);

    for (const char* brk : {"\n", "\r", "\r\n"}) {
        memo_.LoadTextFile(files_.Write("same.txt", numberedLines(500, brk)));
        EXPECT_EQ(bar->value(), 100) << "break style of " << std::strlen(brk) << " bytes";
        EXPECT_EQ(memo_.textCursor().selectionStart(), 40);
        EXPECT_EQ(memo_.textCursor().selectionEnd(), 60);
    }
    // What follows a NUL is never shown: the file still holds the same text.
    memo_.LoadTextFile(
        files_.Write("nul.txt", numberedLines(500, "\n") + std::string("\0not shown", 10)));
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(memo_.textCursor().selectionStart(), 40);

    // The same file written on (a log): its new lines are added, the place stays.
    const QString log = files_.Write("log.txt", numberedLines(500, "\n") + "line 5");
    memo_.LoadTextFile(log);
    bar->setValue(100);
    files_.Write("log.txt", numberedLines(520, "\n"));
    memo_.LoadTextFile(log);
    memo_.FinishFilling();
    EXPECT_EQ(bar->value(), 100);
    const QStringList grown = linesOf(memo_);
    ASSERT_EQ(grown.size(), 521);
    EXPECT_EQ(grown[500], "line 500");
    EXPECT_EQ(grown[519], "line 519");

    // Other text goes back to the start.
    memo_.LoadTextFile(files_.Write("other.txt", numberedLines(501, "\n")));
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(memo_.textCursor().hasSelection());
    EXPECT_EQ(memo_.textCursor().position(), 0);
}

TEST_F(TextViewTest, ALongTextShowsItsStartAtOnceAndFillsInBehind) {
    // About 600 KB of lines, then a line of four-byte characters longer
    // than the pieces, which must not be cut inside a character.
    std::string body = numberedLines(50000, "\n");
    for (int i = 0; i < 40000; ++i) body += "\xF0\x9F\x98\x80\xC3\xA9";
    const QString path = files_.Write("long.txt", body);
    memo_.LoadTextFile(path);
    ASSERT_TRUE(memo_.IsFilling()) << "a text of this size is filled in from the event loop";
    EXPECT_EQ(memo_.document()->firstBlock().text(), "line 0");
    EXPECT_EQ(memo_.Content(), text::NormalizeLineBreaks(body));

    // The user's place holds while the rest comes in; the same text loaded
    // again meanwhile changes nothing.
    QTextCursor cursor(memo_.document());
    cursor.setPosition(40);
    cursor.setPosition(60, QTextCursor::KeepAnchor);
    memo_.setTextCursor(cursor);
    memo_.verticalScrollBar()->setValue(30);
    QApplication::processEvents();
    memo_.LoadTextFile(path);
    while (memo_.IsFilling()) QApplication::processEvents();
    EXPECT_EQ(memo_.verticalScrollBar()->value(), 30);
    EXPECT_EQ(memo_.textCursor().selectionStart(), 40);
    EXPECT_EQ(memo_.textCursor().selectionEnd(), 60);

    // In the end the same document as the whole text set in one go.
    QPlainTextEdit whole;
    whole.setPlainText(QString::fromUtf8(text::NormalizeLineBreaks(body)));
    EXPECT_EQ(memo_.document()->blockCount(), whole.document()->blockCount());
    EXPECT_EQ(memo_.toPlainText(), whole.toPlainText());

    // Another text loaded while one is filling in replaces it whole.
    memo_.LoadTextFile(path);
    memo_.LoadTextFile(files_.Write("long2.txt", numberedLines(40000, "\r")));
    memo_.FinishFilling();
    EXPECT_EQ(memo_.document()->blockCount(), 40001);
    EXPECT_EQ(memo_.document()->lastBlock().previous().text(), "line 39999");
}

TEST_F(TextViewTest, WordWrapCycleFromEveryScrollBarsValue) {
    const QMetaProperty property =
        memo_.metaObject()->property(memo_.metaObject()->indexOfProperty("ScrollBars"));
    const QMetaEnum styles = property.enumerator();
    ASSERT_EQ(styles.keyCount(), 4);
    const TMemo::TScrollStyle expectedFirst[] = {TMemo::ssVertical, TMemo::ssVertical,
                                                 TMemo::ssBoth, TMemo::ssVertical};
    memo_.LoadTextFile(files_.Write("long.txt", std::string(400, 'w') + " " + "tail\n"));
    const std::string content = memo_.Content();

    for (int start = 0; start < 4; ++start) {
        ASSERT_TRUE(property.write(&memo_, QVariant::fromValue(TMemo::TScrollStyle(start))));
        EXPECT_STREQ(styles.valueToKey(property.read(&memo_).toInt()),
                     QByteArray("ss") + QByteArray(start == 0   ? "None"
                                                   : start == 1 ? "Horizontal"
                                                   : start == 2 ? "Vertical"
                                                                : "Both"));
        OptionsWordWrapExecute(memo_);
        EXPECT_EQ(memo_.ScrollBars(), expectedFirst[start]);
        OptionsWordWrapExecute(memo_);
        EXPECT_EQ(memo_.ScrollBars(),
                  expectedFirst[start] == TMemo::ssVertical ? TMemo::ssBoth : TMemo::ssVertical);
    }
    EXPECT_EQ(memo_.Content(), content);

    // The scroll bars and the wrapping follow the value.
    for (int v = 0; v < 4; ++v) {
        memo_.SetScrollBars(TMemo::TScrollStyle(v));
        const bool horizontal = v == TMemo::ssHorizontal || v == TMemo::ssBoth;
        const bool vertical = v == TMemo::ssVertical || v == TMemo::ssBoth;
        EXPECT_EQ(memo_.lineWrapMode() == QPlainTextEdit::WidgetWidth, !horizontal);
        EXPECT_EQ(memo_.horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, horizontal);
        EXPECT_EQ(memo_.verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, vertical);
        EXPECT_EQ(memo_.document()->blockCount(), 2);  // wrapping never splits the content
    }
}

TEST_F(TextViewTest, ChangingScrollBarsShowsTheTextFromItsFirstLine) {
    memo_.LoadTextFile(files_.Write("many.txt", numberedLines(300, "\n")));
    memo_.verticalScrollBar()->setValue(50);
    memo_.SetScrollBars(TMemo::ssBoth);
    EXPECT_EQ(memo_.verticalScrollBar()->value(), 0);
    EXPECT_EQ(memo_.textCursor().position(), 0);
}

TEST_F(TextViewTest, FileThatCannotBeOpenedKeepsTheContent) {
    memo_.LoadTextFile(files_.Write("keep.txt", "kept\n"));
    const QString missing = files_.Path("missing.txt");
    EXPECT_EQ(errorOf(memo_, missing), "Cannot open file " + missing.toStdString());
    EXPECT_EQ(errorOf(memo_, files_.Path("")), "Cannot open file " + files_.Path("").toStdString());
    EXPECT_EQ(linesOf(memo_), (QStringList{"kept", ""}));
}

TEST_F(TextViewTest, TextAboveCapacityKeepsTheContent) {
    memo_.LoadTextFile(files_.Write("keep.txt", "kept"));
    memo_.SetCapacity(100);
    // Too large as a file, and too large only once LF became CR LF.
    EXPECT_EQ(errorOf(memo_, files_.Write("big.txt", std::string(101, 'x'))),
              "Text exceeds memo capacity");
    EXPECT_EQ(errorOf(memo_, files_.Write("grows.txt", std::string(60, '\n'))),
              "Text exceeds memo capacity");
    EXPECT_EQ(linesOf(memo_), QStringList{"kept"});
    EXPECT_EQ(errorOf(memo_, files_.Write("fits.txt", std::string(50, '\n'))), "(no error)");

    // One line is laid out whole: a line above the line capacity is refused
    // however short the file; the same characters in shorter lines are taken.
    memo_.SetCapacity(100, 10);
    EXPECT_EQ(errorOf(memo_, files_.Write("long.txt", "short\n" + std::string(11, 'x'))),
              "Text exceeds memo capacity");
    EXPECT_EQ(linesOf(memo_).size(), 51);
    EXPECT_EQ(
        errorOf(memo_, files_.Write("lines.txt", std::string(9, 'x') + "\n" + std::string(9, 'x'))),
        "(no error)");
    EXPECT_EQ(linesOf(memo_), (QStringList{"xxxxxxxxx", "xxxxxxxxx"}));
}

// Texts read ahead show what a read on demand shows (breaks, the cut at a
// NUL, the capacity rule); a file changed since it was read is read again.
TEST_F(TextViewTest, TextsReadAheadShowWhatAReadOnDemandShows) {
    const auto waitHeld = [this](const QString& path) {
        QDeadlineTimer deadline(10000);
        while (!memo_.TextsAhead().Holds(path) && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        return memo_.TextsAhead().Holds(path);
    };
    const QString mixed = files_.Write("mixed.txt", std::string("one\rtwo\n\rthree\0gone", 19));
    const QString wide = files_.Write("wide.txt", std::string(300, 'x'));
    memo_.ReadAhead({mixed, wide});
    ASSERT_TRUE(waitHeld(mixed));
    memo_.LoadTextFile(mixed);
    EXPECT_EQ(memo_.Content(), "one\r\ntwo\r\n\r\nthree");
    EXPECT_FALSE(memo_.TextsAhead().Holds(mixed)) << "taken, not kept";

    // A line over the capacity fails when it is shown, as on demand.
    memo_.SetCapacity(1 << 20, 100);
    memo_.ReadAhead({wide});
    ASSERT_TRUE(waitHeld(wide));
    EXPECT_EQ(errorOf(memo_, wide), "Text exceeds memo capacity");
    EXPECT_EQ(memo_.Content(), "one\r\ntwo\r\n\r\nthree");

    // Written again after it was read ahead: the new text shows.
    const QString log = files_.Write("log.txt", "first\n");
    memo_.ReadAhead({log});
    ASSERT_TRUE(waitHeld(log));
    files_.Write("log.txt", "first\nsecond\n");
    memo_.LoadTextFile(log);
    EXPECT_EQ(memo_.Content(), "first\r\nsecond\r\n");
}
