#include "flatctl/ShownText.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

const QChar Ellipsis(0x2026);

QString CutLine(QStringView text, qsizetype bound) {
    qsizetype keep = bound - 1;
    if (keep > 0 && text[keep - 1].isHighSurrogate())
        --keep;
    return text.first(keep).toString() + Ellipsis;
}

qsizetype LongestLine(QStringView text) {
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype end; (end = text.indexOf(u'\n', start)) >= 0; start = end + 1)
        longest = std::max(longest, end - start);
    return std::max(longest, text.size() - start);
}

} // namespace

TShownText ShownLine(const QString& text, qsizetype bound) {
    if (text.size() <= bound)
        return {text, true};
    return {CutLine(text, bound), false};
}

TShownText ShownMemoText(const QString& text) {
    if (text.size() <= MemoTextBound && LongestLine(text) <= MemoLineBound)
        return {text, true};
    TShownText shown{QString(), false};
    const QStringView all(text);
    for (qsizetype start = 0;;) {
        qsizetype end = all.indexOf(u'\n', start);
        const bool last = end < 0;
        if (last)
            end = all.size();
        const QStringView line = all.sliced(start, end - start);
        const QString part = line.size() <= MemoLineBound ? line.toString() : CutLine(line, MemoLineBound);
        if (shown.text.size() + part.size() > MemoTextBound) {
            shown.text += Ellipsis;
            break;
        }
        shown.text += part;
        if (last)
            break;
        shown.text += u'\n';
        start = end + 1;
    }
    return shown;
}

bool WrapsAnywhere(QStringView text) {
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > WrapRunBound)
            return true;
    }
    return false;
}

QString CutTextHint(qsizetype length) {
    return QCoreApplication::translate("ShownText",
                                       "Only the start of this text is shown: it holds %L1 characters, "
                                       "too many to edit here. It is kept and saved whole.")
        .arg(length);
}
