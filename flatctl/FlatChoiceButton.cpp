#include "flatctl/FlatChoiceButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {

constexpr int TextFlags = Qt::TextWordWrap | Qt::TextShowMnemonic;

} // namespace

TFlatChoiceButton::TFlatChoiceButton(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setAutoExclusive(false);
    setFocusPolicy(Qt::ClickFocus);
    m_LastParentColor = ParentWindowColor(this);
}

void TFlatChoiceButton::SetChecked(bool value) {
    StoreChecked(value, true);
}

void TFlatChoiceButton::StoreChecked(bool value, bool fireClick) {
    if (value == m_CheckedShown)
        return;
    m_CheckedShown = value;
    QAbstractButton::setChecked(value);
    const bool click = CheckedChanged(value);
    if (click && fireClick && !m_InClick)
        emit clicked(value);
    update();
}

bool TFlatChoiceButton::CheckedChanged(bool) {
    return true;
}

void TFlatChoiceButton::checkStateSet() {
    // QAbstractButton::setChecked from outside takes the same road as SetChecked.
    if (isChecked() != m_CheckedShown) {
        const bool value = isChecked();
        m_CheckedShown = !value;
        StoreChecked(value, true);
    }
}

void TFlatChoiceButton::nextCheckState() {
    // click() and animateClick() fire clicked themselves after this.
    m_InClick = true;
    UserChoice();
    m_InClick = false;
}

void TFlatChoiceButton::MnemonicChoice() {}

bool TFlatChoiceButton::hitButton(const QPoint& pos) const {
    return pos.x() >= 0 && pos.y() >= 0 && pos.x() <= width() && pos.y() <= height();
}

void TFlatChoiceButton::SetTransparent(bool value) {
    m_Transparent = value;
    update();
}

TColor TFlatChoiceButton::Color() const {
    return m_ParentColor ? QColorToTColor(ParentWindowColor(this)) : m_Color;
}

void TFlatChoiceButton::SetColor(TColor value) {
    m_Color = value;
    m_ParentColor = false;
    ApplyAdvColors();
    update();
}

void TFlatChoiceButton::SetParentColor(bool value) {
    if (m_ParentColor == value)
        return;
    m_ParentColor = value;
    ApplyAdvColors();
    update();
}

void TFlatChoiceButton::SetColors(int index, TColor value) {
    switch (index) {
    case 0:
        m_ColorFocused = value;
        break;
    case 1:
        m_ColorDown = value;
        break;
    case 2:
        m_MarkColor = value;
        break;
    case 3:
        m_ColorBorder = value;
        break;
    default:
        return;
    }
    update();
}

void TFlatChoiceButton::SetAdvColors(int index, TAdvColors value) {
    switch (index) {
    case 0:
        m_AdvColorFocused = value;
        break;
    case 1:
        m_AdvColorDown = value;
        break;
    case 2:
        m_AdvColorBorder = value;
        break;
    default:
        return;
    }
    ApplyAdvColors();
    update();
}

void TFlatChoiceButton::SetUseAdvColors(bool value) {
    if (m_UseAdvColors == value)
        return;
    m_UseAdvColors = value;
    SetParentColor(value);
    ApplyAdvColors();
    update();
}

void TFlatChoiceButton::ApplyAdvColors() {
    if (!m_UseAdvColors)
        return;
    const TColor base = Color();
    m_ColorFocused = AdjustColorLightness(base, m_ColorFocused, m_AdvColorFocused, TLightness::Lighten);
    m_ColorDown = AdjustColorLightness(base, m_ColorDown, m_AdvColorDown, TLightness::Darken);
    m_ColorBorder = AdjustColorLightness(base, m_ColorBorder, m_AdvColorBorder, TLightness::Darken);
}

void TFlatChoiceButton::SetRightLayout(bool right) {
    m_RightLayout = right;
    update();
}

QColor TFlatChoiceButton::MarkFillColor() const {
    TColor fill = Color();
    if (m_Focused || m_Hovered)
        fill = m_Pressed ? m_ColorDown : m_ColorFocused;
    return ResolveColor(fill, palette());
}

int TFlatChoiceButton::MarkOffset() const {
    return std::max(0, (fontMetrics().height() - 14) / 2);
}

QRect TFlatChoiceButton::CaptionRect() const {
    return m_RightLayout ? GdiRect(1, 1, width() - 16, height() - 1)
                         : GdiRect(16, 1, width() - 1, height() - 1);
}

QSize TFlatChoiceButton::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const QRect caption = metrics.boundingRect(QRect(0, 0, 4000, 4000), Qt::TextShowMnemonic, text());
    return QSize(16 + caption.width() + 4, std::max(17, metrics.height() + 4));
}

QSize TFlatChoiceButton::minimumSizeHint() const {
    return sizeHint();
}

void TFlatChoiceButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    if (!m_Transparent && !m_ParentColor)
        painter.fillRect(rect(), ResolveColor(m_Color, colours));
    PaintMark(painter);

    const QRect caption = CaptionRect();
    const int align = (m_RightLayout ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | TextFlags;
    painter.setFont(font());
    if (isEnabled()) {
        painter.setPen(colours.color(QPalette::WindowText));
        painter.drawText(caption, align, text());
    } else {
        // Embossed: a highlight copy one pixel right and down, the shadow in place.
        painter.setPen(colours.color(QPalette::Light));
        painter.drawText(caption.translated(1, 1), align, text());
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawText(caption, align, text());
    }
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = painter.boundingRect(caption, align, text()).adjusted(-1, 0, 1, 0);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TFlatChoiceButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_Pressed = true;
    update();
    event->accept();
}

void TFlatChoiceButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled() || !m_Pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_Pressed = false;
    if (hitButton(event->position().toPoint()))
        UserChoice();
    if (!rect().contains(event->position().toPoint()))
        m_Hovered = false;
    update();
    event->accept();
}

void TFlatChoiceButton::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void TFlatChoiceButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && isEnabled()) {
        UserChoice();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFlatChoiceButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void TFlatChoiceButton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (isEnabled()) {
        m_Focused = true;
        update();
    }
}

void TFlatChoiceButton::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (isEnabled()) {
        m_Hovered = false;
        m_Focused = false;
        m_Pressed = false;
        update();
    }
}

void TFlatChoiceButton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (QApplication::activeWindow() != nullptr && isEnabled() && !m_Hovered) {
        m_Hovered = true;
        update();
    }
}

void TFlatChoiceButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (isEnabled() && m_Hovered && !m_Pressed) {
        m_Hovered = false;
        update();
    }
}

void TFlatChoiceButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled()) {
            m_Hovered = false;
            m_Pressed = false;
        }
        update();
        break;
    case QEvent::LayoutDirectionChange:
        SetRightLayout(layoutDirection() == Qt::RightToLeft);
        break;
    case QEvent::PaletteChange: {
        const QColor parentColor = ParentWindowColor(this);
        if (parentColor != m_LastParentColor) {
            m_LastParentColor = parentColor;
            if (m_UseAdvColors) {
                m_ParentColor = true;
                ApplyAdvColors();
            }
        }
        update();
        break;
    }
    default:
        break;
    }
}

bool TFlatChoiceButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        // The caption's mnemonic: the focus comes here, and a check box toggles.
        if (focusPolicy() != Qt::NoFocus && isEnabled()) {
            setFocus(Qt::ShortcutFocusReason);
            window()->setAttribute(Qt::WA_KeyboardFocusChange);
            MnemonicChoice();
        }
        return true;
    }
    return QAbstractButton::event(event);
}
