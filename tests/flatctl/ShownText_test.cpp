#include "flatctl/ShownText.h"
#include "flatctl/TFlatEditUnit.h"
#include "flatctl/TFlatMemoUnit.h"

#include "FlatTestSupport.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

using flattest::App;

const QString Ellipsis(QChar(0x2026));

QString Lines(qsizetype count, qsizetype length) {
    QString text;
    for (qsizetype i = 0; i < count; ++i)
        text += QString(length, QChar(static_cast<char16_t>(u'a' + i % 26))) + (i + 1 < count ? "\n" : "");
    return text;
}

TEST(ShownText, ALineWithinItsBoundIsWholeAndALongerOneCutWithAMark) {
    const QString face = QString::fromUtf8("abc\xF0\x9F\x98\x80"
                                           "def"); // a smiling face: two halves
    const struct {
        QString text;
        qsizetype bound;
        QString shown;
        bool whole;
    } rows[] = {
        {"", 5, "", true},
        {"abcde", 5, "abcde", true},
        {"abcdef", 5, "abcd" + Ellipsis, false},
        {face, 8, face, true},
        {face, 6, "abc" + face.mid(3, 2) + Ellipsis, false},
        {face, 5, "abc" + Ellipsis, false},
        {QString(40000, 'x'), EditTextBound, QString(EditTextBound - 1, 'x') + Ellipsis, false},
    };
    for (const auto& row : rows) {
        const TShownText shown = ShownLine(row.text, row.bound);
        EXPECT_EQ(shown.text, row.shown) << row.text.toStdString() << " within " << row.bound;
        EXPECT_EQ(shown.whole, row.whole) << row.text.toStdString() << " within " << row.bound;
    }
}

TEST(ShownText, AMemoCutsEachLongLineAndTheWholeAtTheirBounds) {
    const QString longLine(MemoLineBound + 1, 'l');
    const QString cutLine = QString(MemoLineBound - 1, 'l') + Ellipsis;
    const QString manyLines = Lines(MemoTextBound / 1000 + 10, 999); // just beyond the whole's bound
    const struct {
        const char* name;
        QString text;
        QString shown;
        bool whole;
    } rows[] = {
        {"a few lines", "one\ntwo\n\nfour", "one\ntwo\n\nfour", true},
        {"a line at the bound", QString(MemoLineBound, 'l'), QString(MemoLineBound, 'l'), true},
        {"a line beyond it", longLine, cutLine, false},
        {"long lines among short ones", "start\n" + longLine + "\nmiddle\n" + longLine + "\nend",
         "start\n" + cutLine + "\nmiddle\n" + cutLine + "\nend", false},
        {"a megabyte of lines", Lines(1024, 1023), Lines(1024, 1023), true},
        {"more lines than the whole may hold", manyLines,
         manyLines.first(manyLines.lastIndexOf('\n', MemoTextBound) + 1) + Ellipsis, false},
    };
    for (const auto& row : rows) {
        const TShownText shown = ShownMemoText(row.text);
        EXPECT_TRUE(shown.text == row.shown) << row.name << ": " << shown.text.size() << " characters shown";
        EXPECT_LE(shown.text.size(), MemoTextBound + 1) << row.name;
        EXPECT_EQ(shown.whole, row.whole) << row.name;
    }
}

TEST(ShownText, OnlyARunWithoutBlanksBeyondItsBoundWrapsAnywhere) {
    const QString run(WrapRunBound, 'r');
    const struct {
        QString text;
        bool anywhere;
    } rows[] = {
        {"", false},
        {run, false},
        {run + "r", true},
        {"words " + run + " words " + run + "\n" + run, false},
        {"words, then " + run + "r", true},
        {run + "\t" + run + "\n" + run, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WrapsAnywhere(row.text), row.anywhere) << row.text.size() << " characters";
}

// A cut text cannot be edited, says so, and is never the stored one; a whole text again gives the
// field back as the window set it.
TEST(ShownText, AnEditShowsACutTextReadOnlyAndAWholeOneAsTheWindowSetIt) {
    App();
    TFlatEdit edit;
    edit.setToolTip("Name of the driver");
    edit.ShowStoredText("Acme");
    EXPECT_EQ(edit.text(), "Acme");
    EXPECT_TRUE(edit.HoldsWholeText());
    EXPECT_FALSE(edit.isReadOnly());

    edit.ShowStoredText(QString(1024 * 1024, 'b'));
    EXPECT_EQ(edit.text(), QString(EditTextBound - 1, 'b') + Ellipsis);
    EXPECT_FALSE(edit.HoldsWholeText());
    EXPECT_TRUE(edit.isReadOnly());
    EXPECT_EQ(edit.cursorPosition(), 0) << "the start of the text in view";
    EXPECT_EQ(edit.toolTip(), CutTextHint(1024 * 1024));
    EXPECT_NE(edit.toolTip().indexOf("1,048,576"), -1) << edit.toolTip().toStdString();

    edit.ShowStoredText(QString(EditTextBound, 'c'));
    EXPECT_EQ(edit.text(), QString(EditTextBound, 'c'));
    EXPECT_TRUE(edit.HoldsWholeText());
    EXPECT_FALSE(edit.isReadOnly());
    EXPECT_EQ(edit.toolTip(), "Name of the driver");

    TFlatEdit fixed;
    fixed.setReadOnly(true);
    fixed.ShowStoredText(QString(EditTextBound + 1, 'd'));
    fixed.ShowStoredText("short");
    EXPECT_TRUE(fixed.isReadOnly()) << "a field the window made read-only stays so";
    EXPECT_TRUE(fixed.toolTip().isEmpty());
}

TEST(ShownText, AMemoHoldsWhatItCanLayOutFastAndWrapsLongRunsAnywhere) {
    App();
    TFlatMemo memo;
    memo.resize(300, 200);
    memo.show();
    const struct {
        const char* name;
        QString text;
        bool whole;
        QTextOption::WrapMode wrap;
    } rows[] = {
        {"a megabyte on one line", QString(1024 * 1024, 'a'), false, QTextOption::WrapAnywhere},
        {"words", "A closed box for the living room.\nSecond line.", true,
         QTextOption::WrapAtWordBoundaryOrAnywhere},
        {"a megabyte of lines", Lines(1024, 1023), true, QTextOption::WrapAnywhere},
        {"a megabyte of words on one line", QString("word ").repeated(200 * 1024), false,
         QTextOption::WrapAtWordBoundaryOrAnywhere},
        {"nothing", "", true, QTextOption::WrapAtWordBoundaryOrAnywhere},
    };
    for (const auto& row : rows) {
        memo.ShowStoredText(row.text);
        QCoreApplication::processEvents();
        EXPECT_EQ(memo.HoldsWholeText(), row.whole) << row.name;
        EXPECT_EQ(memo.isReadOnly(), !row.whole) << row.name;
        EXPECT_EQ(memo.wordWrapMode(), row.wrap) << row.name;
        if (row.whole)
            EXPECT_TRUE(memo.toPlainText() == row.text) << row.name;
        else
            EXPECT_TRUE(memo.toPlainText() == ShownMemoText(row.text).text) << row.name;
    }

    // A long run typed or pasted into words wraps anywhere from then on.
    memo.ShowStoredText("Some words");
    memo.moveCursor(QTextCursor::End);
    memo.insertPlainText(" " + QString(WrapRunBound, 'x'));
    EXPECT_EQ(memo.wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo.insertPlainText("x");
    EXPECT_EQ(memo.wordWrapMode(), QTextOption::WrapAnywhere);
    memo.ShowStoredText("Some words");
    memo.insertPlainText(QString(100 * 1024, 'y'));
    EXPECT_EQ(memo.wordWrapMode(), QTextOption::WrapAnywhere);
}

} // namespace
