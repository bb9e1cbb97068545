#pragma once
// A multi-line memo with the flat frame of TFlatEdit: highlighted while focused, or under
// the mouse while the focus is not in another flat memo.

#include "flatctl/FlatFrame.h"

#include <QPlainTextEdit>

class TFlatMemo : public QPlainTextEdit {
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

    TColor ColorFocused() const { return m_Colors.ColorFocused; }
    TColor ColorBorder() const { return m_Colors.ColorBorder; }
    TColor ColorFlat() const { return m_Colors.ColorFlat; }
    bool ParentColor() const { return m_Colors.ParentColor; }
    TAdvColors AdvColorFocused() const { return m_Colors.AdvColorFocused; }
    TAdvColors AdvColorBorder() const { return m_Colors.AdvColorBorder; }
    bool UseAdvColors() const { return m_Colors.UseAdvColors; }

    // By index: 0 ColorFocused, 1 ColorBorder, 2 ColorFlat (which clears ParentColor).
    void SetColors(int index, TColor value);
    void SetColorFocused(TColor value) { SetColors(0, value); }
    void SetColorBorder(TColor value) { SetColors(1, value); }
    void SetColorFlat(TColor value) { SetColors(2, value); }
    void SetParentColor(bool value);
    // By index: 0 AdvColorFocused, 1 AdvColorBorder.
    void SetAdvColors(int index, TAdvColors value);
    void SetAdvColorFocused(TAdvColors value) { SetAdvColors(0, value); }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColors(1, value); }
    void SetUseAdvColors(bool value);

    bool Highlighted() const;
    QColor FaceColor() const;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Redraw();

    TFlatFrameColors m_Colors;
    bool m_MouseInside = false;
};
