#pragma once
// How much of a stored text a field shows. A field lays out the text it holds, and Qt's text
// layout takes time that grows with the length of a line, with its square where a long line
// holds no place to wrap: a megabyte on one line keeps a window from answering for a minute. So
// a field holds a text whole only within the bounds below, which it lays out in a few tens of
// milliseconds; beyond them it shows a cut copy, marked by "…" where it was cut, and the stored
// text stays whole. Display is not storage: what a field shows is never read back in place of
// the stored text.

#include <QString>
#include <QStringView>

// The most characters a one-line edit holds: QLineEdit's own limit, beyond which it cuts a text
// it is given.
inline constexpr qsizetype EditTextBound = 32767;
// The most characters a memo holds on one line, and in all.
inline constexpr qsizetype MemoLineBound = 64 * 1024;
inline constexpr qsizetype MemoTextBound = 2 * 1024 * 1024;
// The most characters of a name in a caption, a menu item or a label.
inline constexpr qsizetype CaptionNameBound = 48;
// A memo wraps its lines anywhere, not only between words, once a text holds a run of more
// characters than this without a blank: for each line of such a run the word wrap searches the
// rest of the run for a place to break.
inline constexpr qsizetype WrapRunBound = 256;

struct TShownText {
    QString text;
    bool whole = true;
};

// A text within `bound` characters as it is; a longer one cut to `bound - 1` characters and
// "…", never between the two halves of a surrogate pair.
TShownText ShownLine(const QString& text, qsizetype bound);
// A memo's text: each line ("\n" ends one) within MemoLineBound as ShownLine cuts it, the whole
// within MemoTextBound, the end marked "…" where lines were left out.
TShownText ShownMemoText(const QString& text);
// Whether the text holds a run of more than WrapRunBound characters without a blank or a break.
bool WrapsAnywhere(QStringView text);
// The tool tip of a field that shows a cut text of `length` characters.
QString CutTextHint(qsizetype length);
