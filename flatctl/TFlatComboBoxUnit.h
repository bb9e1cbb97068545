#pragma once
// A combo box with a flat frame and its own drop-down button: the frame (one ring in
// ColorBorder, two in Color) stops short of the button, an 11-pixel strip at the right filled
// with ColorArrowBackground and holding a small triangle in ColorArrow. A click on the
// button opens the list. Color starts as the window colour (clWindow); windows that want the
// flat face set 0xE1EAEB.

#include "flatctl/FlatUtilitys.h"

#include <QComboBox>

class TFlatComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(int ColorArrow READ ColorArrow WRITE SetColorArrow)
    Q_PROPERTY(int ColorArrowBackground READ ColorArrowBackground WRITE SetColorArrowBackground)
    Q_PROPERTY(int ColorBorder READ ColorBorder WRITE SetColorBorder)
    Q_PROPERTY(int AdvColorBorder READ AdvColorBorder WRITE SetAdvColorBorder)
    Q_PROPERTY(int AdvColorArrowBackground READ AdvColorArrowBackground WRITE SetAdvColorArrowBackground)
    Q_PROPERTY(bool UseAdvColors READ UseAdvColors WRITE SetUseAdvColors)
    Q_PROPERTY(TComboBoxStyle Style READ Style WRITE SetStyle)
public:
    // csDropDown: an edit field with a list; csSimple: an edit field without button;
    // csDropDownList: a choice from the list only.
    enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
    Q_ENUM(TComboBoxStyle)

    static constexpr int ButtonWidth = 11;

    explicit TFlatComboBox(QWidget* parent = nullptr);

    TColor Color() const { return m_Color; }
    TColor ColorArrow() const { return m_ColorArrow; }
    TColor ColorArrowBackground() const { return m_ColorArrowBackground; }
    TColor ColorBorder() const { return m_ColorBorder; }
    TAdvColors AdvColorBorder() const { return m_AdvColorBorder; }
    TAdvColors AdvColorArrowBackground() const { return m_AdvColorArrowBackground; }
    bool UseAdvColors() const { return m_UseAdvColors; }
    TComboBoxStyle Style() const { return m_Style; }

    void SetColor(TColor value);
    // By index: 0 ColorArrow, 1 ColorArrowBackground, 2 ColorBorder.
    void SetColors(int index, TColor value);
    void SetColorArrow(TColor value) { SetColors(0, value); }
    void SetColorArrowBackground(TColor value) { SetColors(1, value); }
    void SetColorBorder(TColor value) { SetColors(2, value); }
    // By index: 0 AdvColorBorder, 1 AdvColorArrowBackground.
    void SetAdvColors(int index, TAdvColors value);
    void SetAdvColorBorder(TAdvColors value) { SetAdvColors(0, value); }
    void SetAdvColorArrowBackground(TAdvColors value) { SetAdvColors(1, value); }
    void SetUseAdvColors(bool value);
    void SetStyle(TComboBoxStyle value);

    // The painted button (none for csSimple) and the text area, in widget coordinates.
    QRect ButtonRect() const;
    QRect TextRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ApplyAdvColors();
    void PlaceEditField();
    void UpdateColors();

    TColor m_Color = clWindow;
    TColor m_ColorArrow = clBlack;
    TColor m_ColorArrowBackground = 0xC5D6D9;
    TColor m_ColorBorder = 0x8396A0;
    TAdvColors m_AdvColorBorder = 50;
    TAdvColors m_AdvColorArrowBackground = 10;
    bool m_UseAdvColors = false;
    TComboBoxStyle m_Style = csDropDown;
    bool m_Dropped = false;
    QColor m_LastParentColor;
};
