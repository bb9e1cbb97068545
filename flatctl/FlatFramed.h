#pragma once
// What the flat edit and the flat memo share on top of their Qt editor `Base`: the frame
// colour properties, when the frame is highlighted, and redrawing on every change of those.
// `Self` is the flat control; the focus in another control of its class keeps the mouse from
// highlighting it. `Self` shows the colours in Redraw().

#include "flatctl/FlatFrame.h"
#include "flatctl/ShownText.h"

#include <QApplication>
#include <QEnterEvent>

template <class Base, class Self> class TFlatFramed : public Base {
public:
    using Base::Base;
    // A control deleted while it has the focus moves the focus in the base destructor, when
    // there is no Redraw() to call any more.
    ~TFlatFramed() override { QObject::disconnect(m_FocusWatch); }

    TColor ColorFocused() const { return m_Colors.ColorFocused; }
    TColor ColorBorder() const { return m_Colors.ColorBorder; }
    TColor ColorFlat() const { return m_Colors.ColorFlat; }
    bool ParentColor() const { return m_Colors.ParentColor; }
    TAdvColors AdvColorFocused() const { return m_Colors.AdvColorFocused; }
    TAdvColors AdvColorBorder() const { return m_Colors.AdvColorBorder; }
    bool UseAdvColors() const { return m_Colors.UseAdvColors; }

    // By index: 0 ColorFocused, 1 ColorBorder, 2 ColorFlat. Writing ColorFlat clears
    // ParentColor. System colours (clWindow, ...) are allowed.
    void SetColors(int index, TColor value) {
        if (m_Colors.SetColor(index, value))
            Redraw();
    }
    void SetColorFocused(TColor value) { SetColors(0, value); }
    void SetColorBorder(TColor value) { SetColors(1, value); }
    void SetColorFlat(TColor value) { SetColors(2, value); }
    // Turning it on takes the parent's colour as ColorFlat.
    void SetParentColor(bool value) {
        if (m_Colors.SetParentColor(value, ParentWindowColor(this)))
            Redraw();
    }
    // By index: 0 AdvColorFocused, 1 AdvColorBorder.
    void SetAdvColors(int index, TAdvColors value) {
        if (m_Colors.SetAdvColor(index, value))
            Redraw();
    }
    void SetAdvColorFocused(TAdvColors value) { SetAdvColors(0, value); }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColors(1, value); }
    // Also writes ParentColor with the same value, then derives the colours.
    void SetUseAdvColors(bool value) {
        if (m_Colors.SetUseAdvColors(value, ParentWindowColor(this)))
            Redraw();
    }

    bool Highlighted() const {
        return FlatFrameHighlighted(this->hasFocus(), m_MouseInside,
                                    qobject_cast<Self*>(QApplication::focusWidget()) != nullptr);
    }
    // The colour the frame and the text area show now.
    QColor FaceColor() const { return ResolveColor(m_Colors.Face(Highlighted()), this->palette()); }

    // Whether the field holds the whole stored text it was last given by ShowStoredText: only
    // then is its text the stored one and may be read back.
    bool HoldsWholeText() const { return !m_Cut; }

protected:
    // For the constructor of `Self`, once it can redraw.
    void InitFrame() {
        m_Colors.LastParentColor = ParentWindowColor(this);
        // Another control of the class taking or leaving the focus changes whether this one
        // may highlight.
        m_FocusWatch = QObject::connect(qApp, &QApplication::focusChanged, this, [this] {
            if (m_MouseInside)
                Redraw();
        });
        Redraw();
    }
    virtual void Redraw() = 0;

    // A field that shows a cut text of `length` characters may not be edited and says why in its
    // tool tip; a whole text again gives back what the window had set.
    void ShowCut(bool cut, qsizetype length) {
        if (cut && !m_Cut) {
            m_ReadOnlyBeforeCut = this->isReadOnly();
            m_ToolTipBeforeCut = this->toolTip();
            this->setReadOnly(true);
        } else if (!cut && m_Cut) {
            this->setReadOnly(m_ReadOnlyBeforeCut);
            this->setToolTip(m_ToolTipBeforeCut);
        }
        if (cut)
            this->setToolTip(CutTextHint(length));
        m_Cut = cut;
    }

    void focusInEvent(QFocusEvent* event) override {
        Base::focusInEvent(event);
        Redraw();
    }
    void focusOutEvent(QFocusEvent* event) override {
        Base::focusOutEvent(event);
        Redraw();
    }
    void enterEvent(QEnterEvent* event) override {
        Base::enterEvent(event);
        if (QApplication::activeWindow() != nullptr)
            m_MouseInside = true;
        Redraw();
    }
    void leaveEvent(QEvent* event) override {
        Base::leaveEvent(event);
        m_MouseInside = false;
        Redraw();
    }
    void changeEvent(QEvent* event) override {
        Base::changeEvent(event);
        if (event->type() == QEvent::PaletteChange) {
            if (m_Colors.FollowParent(ParentWindowColor(this)))
                Redraw();
        } else if (event->type() == QEvent::EnabledChange) {
            Redraw();
        }
    }

    TFlatFrameColors m_Colors;
    bool m_MouseInside = false;

private:
    QMetaObject::Connection m_FocusWatch;
    bool m_Cut = false;
    bool m_ReadOnlyBeforeCut = false;
    QString m_ToolTipBeforeCut;
};
