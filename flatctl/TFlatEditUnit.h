#pragma once
// A single-line edit with a flat frame. It keeps every behaviour of QLineEdit and paints, on
// its outer three pixels, a one-pixel ring in ColorBorder and two rings in the face colour:
// ColorFocused while highlighted (focused, or under the mouse while the focus is not in
// another flat edit), ColorFlat otherwise. The text area takes the face colour too.

#include "flatctl/FlatFramed.h"

#include <QLineEdit>

class TFlatEdit : public TFlatFramed<QLineEdit, TFlatEdit> {
    Q_OBJECT
    Q_PROPERTY(int ColorFocused READ ColorFocused WRITE SetColorFocused)
    Q_PROPERTY(int ColorBorder READ ColorBorder WRITE SetColorBorder)
    Q_PROPERTY(int ColorFlat READ ColorFlat WRITE SetColorFlat)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(int AdvColorFocused READ AdvColorFocused WRITE SetAdvColorFocused)
    Q_PROPERTY(int AdvColorBorder READ AdvColorBorder WRITE SetAdvColorBorder)
    Q_PROPERTY(bool UseAdvColors READ UseAdvColors WRITE SetUseAdvColors)
public:
    explicit TFlatEdit(QWidget* parent = nullptr);
    explicit TFlatEdit(const QString& text, QWidget* parent = nullptr);

    // Shows a stored text (a name): whole within the edit's maximum length (EditTextBound unless
    // the window sets another), else cut as ShownLine cuts it and read-only from the start.
    void ShowStoredText(const QString& text);

    // The font's height plus the frame.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Init();
    void Redraw() override;
};
