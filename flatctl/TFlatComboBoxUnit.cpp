#include "flatctl/TFlatComboBoxUnit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

TFlatComboBox::TFlatComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    m_LastParentColor = ParentWindowColor(this);
    PlaceEditField();
    UpdateColors();
}

void TFlatComboBox::SetColor(TColor value) {
    m_Color = value;
    UpdateColors();
}

void TFlatComboBox::SetColors(int index, TColor value) {
    switch (index) {
    case 0:
        m_ColorArrow = value;
        break;
    case 1:
        m_ColorArrowBackground = value;
        break;
    case 2:
        m_ColorBorder = value;
        break;
    default:
        return;
    }
    update();
}

void TFlatComboBox::SetAdvColors(int index, TAdvColors value) {
    if (index == 0)
        m_AdvColorBorder = value;
    else if (index == 1)
        m_AdvColorArrowBackground = value;
    else
        return;
    ApplyAdvColors();
    update();
}

void TFlatComboBox::SetUseAdvColors(bool value) {
    if (m_UseAdvColors == value)
        return;
    m_UseAdvColors = value;
    ApplyAdvColors();
    update();
}

void TFlatComboBox::ApplyAdvColors() {
    if (!m_UseAdvColors)
        return;
    const TColor parentColor = QColorToTColor(ParentWindowColor(this));
    m_ColorBorder = AdjustColorLightness(parentColor, m_ColorBorder, m_AdvColorBorder, TLightness::Darken);
    m_ColorArrowBackground = AdjustColorLightness(parentColor, m_ColorArrowBackground,
                                                  m_AdvColorArrowBackground, TLightness::Darken);
}

void TFlatComboBox::SetStyle(TComboBoxStyle value) {
    if (m_Style == value)
        return;
    m_Style = value;
    setEditable(value != csDropDownList);
    PlaceEditField();
    UpdateColors();
    updateGeometry();
}

QRect TFlatComboBox::ButtonRect() const {
    if (m_Style == csSimple)
        return QRect();
    return GdiRect(width() - ButtonWidth - 2, 0, width(), height());
}

QRect TFlatComboBox::TextRect() const {
    const int right = m_Style == csSimple ? width() - 3 : width() - 16;
    return GdiRect(3, 3, right, height() - 3);
}

QSize TFlatComboBox::sizeHint() const {
    return QSize(QComboBox::sizeHint().width(), fontMetrics().height() + 8);
}

QSize TFlatComboBox::minimumSizeHint() const {
    return QSize(QComboBox::minimumSizeHint().width(), fontMetrics().height() + 8);
}

void TFlatComboBox::showPopup() {
    if (m_Style == csSimple)
        return;
    m_Dropped = true;
    update();
    QComboBox::showPopup();
}

void TFlatComboBox::hidePopup() {
    QComboBox::hidePopup();
    m_Dropped = false;
    update();
}

void TFlatComboBox::UpdateColors() {
    const QColor face = ResolveColor(m_Color, palette());
    QPalette colours = palette();
    if (SetBaseColor(colours, face)) {
        setPalette(colours);
        // The list is painted on the control's colour too.
        view()->setPalette(colours);
    }
    update();
}

void TFlatComboBox::PlaceEditField() {
    if (QLineEdit* edit = lineEdit()) {
        edit->setFrame(false);
        const int right = m_Style == csSimple ? width() - 3 : width() - 16;
        edit->setGeometry(GdiRect(3, 3, right, height() - 3));
    }
}

void TFlatComboBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const QColor face = ResolveColor(m_Color, colours);
    const QColor border = ResolveColor(m_ColorBorder, colours);
    const int W = width(), H = height();

    const int frameRight = m_Style == csSimple ? W : W - (ButtonWidth + 1);
    GdiFillRect(painter, GdiRect(0, 0, frameRight, H), face);
    GdiFrameRect(painter, GdiRect(0, 0, frameRight, H), border);

    if (m_Style == csDropDownList) {
        const bool selected = hasFocus() && !m_Dropped;
        const QRect area = TextRect();
        GdiFillRect(painter, area, selected ? colours.color(QPalette::Highlight) : face);
        const QColor text = !isEnabled()
                                ? colours.color(QPalette::Disabled, QPalette::Text)
                                : colours.color(selected ? QPalette::HighlightedText : QPalette::Text);
        painter.setPen(text);
        painter.setFont(font());
        const QRect textArea = area.adjusted(2, 0, -2, 0);
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         fontMetrics().elidedText(currentText(), Qt::ElideRight, textArea.width()));
    }

    if (m_Style == csSimple)
        return;
    const QRect button = ButtonRect();
    GdiFillRect(painter, button, ResolveColor(m_ColorArrowBackground, colours));
    GdiFrameRect(painter, button, border);
    const int cx = button.left() + button.width() / 2;
    const int cy = button.top() + button.height() / 2;
    // Rows of 5, 3 and 1 pixels; the wide row at the top points the triangle down.
    auto triangle = [&](int dx, int dy, const QColor& colour) {
        const int wide = m_Dropped ? cy + 1 : cy - 1;
        const int narrow = m_Dropped ? cy - 1 : cy + 1;
        painter.fillRect(QRect(cx - 2 + dx, wide + dy, 5, 1), colour);
        painter.fillRect(QRect(cx - 1 + dx, cy + dy, 3, 1), colour);
        painter.fillRect(QRect(cx + dx, narrow + dy, 1, 1), colour);
    };
    if (isEnabled()) {
        triangle(0, 0, ResolveColor(m_ColorArrow, colours));
    } else {
        triangle(1, 1, Qt::white);
        triangle(0, 0, ResolveColor(clGray, colours));
    }
}

void TFlatComboBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_Style != csSimple &&
        ButtonRect().contains(event->position().toPoint())) {
        if (!view()->isVisible())
            showPopup();
        event->accept();
        return;
    }
    QComboBox::mousePressEvent(event);
}

void TFlatComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    PlaceEditField();
}

void TFlatComboBox::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    PlaceEditField();
}

void TFlatComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    switch (event->type()) {
    case QEvent::PaletteChange: {
        const QColor parentColor = ParentWindowColor(this);
        if (parentColor != m_LastParentColor) {
            m_LastParentColor = parentColor;
            ApplyAdvColors();
            UpdateColors();
        }
        break;
    }
    case QEvent::StyleChange:
    case QEvent::FontChange:
        PlaceEditField();
        break;
    case QEvent::EnabledChange:
        update();
        break;
    default:
        break;
    }
}

void TFlatComboBox::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    update();
}

void TFlatComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    update();
}
