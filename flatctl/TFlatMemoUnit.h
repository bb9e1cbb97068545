#pragma once
// A multi-line memo with the flat frame of TFlatEdit: highlighted while focused, or under
// the mouse while the focus is not in another flat memo.

#include "flatctl/FlatFramed.h"

#include <QPlainTextEdit>

class TFlatMemo : public TFlatFramed<QPlainTextEdit, TFlatMemo> {
    Q_OBJECT
    Q_PROPERTY(int ColorFocused READ ColorFocused WRITE SetColorFocused)
    Q_PROPERTY(int ColorBorder READ ColorBorder WRITE SetColorBorder)
    Q_PROPERTY(int ColorFlat READ ColorFlat WRITE SetColorFlat)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(int AdvColorFocused READ AdvColorFocused WRITE SetAdvColorFocused)
    Q_PROPERTY(int AdvColorBorder READ AdvColorBorder WRITE SetAdvColorBorder)
    Q_PROPERTY(bool UseAdvColors READ UseAdvColors WRITE SetUseAdvColors)
public:
    explicit TFlatMemo(QWidget* parent = nullptr);

    // Shows a stored text: whole within MemoLineBound and MemoTextBound, else cut as
    // ShownMemoText cuts it and read-only. A text with a long run without a blank, shown or
    // typed, wraps anywhere (WrapsAnywhere), so that no line waits for a place to wrap.
    void ShowStoredText(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    void Redraw() override;
    void JudgeWrap(int position, int added);
};
