#pragma once
// What the flat radio button and check box share: a painted mark and caption, colours that
// follow hover, focus and press, and a Checked setter that fires Click (the clicked signal)
// on every change, also when the program sets it.

#include "flatctl/FlatUtilitys.h"

#include <QAbstractButton>

class TFlatChoiceButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(int ColorFocused READ ColorFocused WRITE SetColorFocused)
    Q_PROPERTY(int ColorDown READ ColorDown WRITE SetColorDown)
    Q_PROPERTY(int ColorBorder READ ColorBorder WRITE SetColorBorder)
    Q_PROPERTY(int AdvColorFocused READ AdvColorFocused WRITE SetAdvColorFocused)
    Q_PROPERTY(int AdvColorDown READ AdvColorDown WRITE SetAdvColorDown)
    Q_PROPERTY(int AdvColorBorder READ AdvColorBorder WRITE SetAdvColorBorder)
    Q_PROPERTY(bool UseAdvColors READ UseAdvColors WRITE SetUseAdvColors)
public:
    bool Checked() const { return isChecked(); }
    // No change does nothing; otherwise the subclass's rule runs and Click fires.
    void SetChecked(bool value);

    bool Transparent() const { return m_Transparent; }
    void SetTransparent(bool value);
    // The background and the mark's idle fill; with ParentColor, the parent's colour.
    TColor Color() const;
    void SetColor(TColor value);
    bool ParentColor() const { return m_ParentColor; }
    void SetParentColor(bool value);
    TColor ColorFocused() const { return m_ColorFocused; }
    TColor ColorDown() const { return m_ColorDown; }
    TColor ColorBorder() const { return m_ColorBorder; }
    // By index: 0 ColorFocused, 1 ColorDown, 2 the mark colour (ColorDot, ColorCheck), 3 ColorBorder.
    void SetColors(int index, TColor value);
    void SetColorFocused(TColor value) { SetColors(0, value); }
    void SetColorDown(TColor value) { SetColors(1, value); }
    void SetColorBorder(TColor value) { SetColors(3, value); }
    TAdvColors AdvColorFocused() const { return m_AdvColorFocused; }
    TAdvColors AdvColorDown() const { return m_AdvColorDown; }
    TAdvColors AdvColorBorder() const { return m_AdvColorBorder; }
    // By index: 0 AdvColorFocused, 1 AdvColorDown, 2 AdvColorBorder.
    void SetAdvColors(int index, TAdvColors value);
    void SetAdvColorFocused(TAdvColors value) { SetAdvColors(0, value); }
    void SetAdvColorDown(TAdvColors value) { SetAdvColors(1, value); }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColors(2, value); }
    bool UseAdvColors() const { return m_UseAdvColors; }
    void SetUseAdvColors(bool value);

    bool Hovered() const { return m_Hovered; }
    bool Pressed() const { return m_Pressed; }
    // The mark's fill now: Color when neither focused nor hovered, else ColorDown while
    // pressed, else ColorFocused.
    QColor MarkFillColor() const;
    // The mark's area (right and bottom excluded) in widget coordinates.
    virtual QRect MarkRect() const = 0;
    // The caption's area.
    QRect CaptionRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    explicit TFlatChoiceButton(QWidget* parent);

    bool RightLayout() const { return m_RightLayout; }
    void SetRightLayout(bool right);
    TColor MarkColor() const { return m_MarkColor; }
    // The mark's vertical offset, which keeps it beside the first caption line in larger fonts.
    int MarkOffset() const;

    // The rule of this kind of button after the value was stored; answers whether Click fires.
    virtual bool CheckedChanged(bool value);
    // The caption's mnemonic, after the focus came.
    virtual void MnemonicChoice();
    // A release inside the control, the space key: what the user's choice does.
    virtual void UserChoice() = 0;
    virtual void PaintMark(QPainter& painter) = 0;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void checkStateSet() override;
    void nextCheckState() override;
    bool hitButton(const QPoint& pos) const override;

private:
    void ApplyAdvColors();
    void StoreChecked(bool value, bool fireClick);

    bool m_Transparent = false;
    TColor m_Color = 0xE1EAEB;
    bool m_ParentColor = true;
    TColor m_ColorFocused = clWhite;
    TColor m_ColorDown = 0xC5D6D9;
    TColor m_MarkColor = clBlack;
    TColor m_ColorBorder = 0x8396A0;
    TAdvColors m_AdvColorFocused = 10;
    TAdvColors m_AdvColorDown = 10;
    TAdvColors m_AdvColorBorder = 50;
    bool m_UseAdvColors = false;
    bool m_RightLayout = false;
    bool m_Hovered = false;
    bool m_Pressed = false;
    bool m_Focused = false;
    bool m_CheckedShown = false;
    bool m_InClick = false;
    QColor m_LastParentColor;
};
