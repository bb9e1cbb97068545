#include "workspace/HV_Menu.h"

#include <algorithm>

#include <QActionEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

TMenuItemKind MenuItemKind(const QString& caption) {
    if (caption.startsWith(u'#'))
        return TMenuItemKind::Header;
    if (caption.startsWith(u'*'))
        return TMenuItemKind::Band;
    return TMenuItemKind::Ordinary;
}

QString MenuItemText(const QString& caption) {
    if (MenuItemKind(caption) == TMenuItemKind::Ordinary)
        return caption;
    return caption.mid(1);
}

namespace {

const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kGrey(0x80, 0x80, 0x80);

// The caption of a menu item option, without the shortcut text Qt appends after a tab.
QString OptionCaption(const QStyleOptionMenuItem& option) {
    const qsizetype tab = option.text.indexOf(u'\t');
    return tab < 0 ? option.text : option.text.left(tab);
}

// Draws headers and bands of the menus it is set on; everything else is the base style's.
class TSpecialItemStyle final : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuItem || item == nullptr ||
            item->menuItemType == QStyleOptionMenuItem::Separator) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const QString caption = OptionCaption(*item);
        const TMenuItemKind kind = MenuItemKind(caption);
        if (kind == TMenuItemKind::Ordinary) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        const QRect rect = item->rect;
        painter->save();
        painter->setFont(item->font);
        if (kind == TMenuItemKind::Header) {
            painter->fillRect(rect, kWhite);
            const QRect inner = rect.adjusted(1, 1, -1, -1);
            painter->fillRect(inner, kSilver);
            painter->setPen(kGrey);
            const QRect clip = rect.adjusted(2, 2, -2, -2);
            painter->setClipRect(clip);
            painter->drawText(clip.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                              MenuItemText(caption));
        } else {
            painter->fillRect(rect, kGrey);
            painter->setPen(kWhite);
            painter->setClipRect(rect);
            painter->drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                              MenuItemText(caption));
        }
        painter->restore();
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type == CT_MenuItem && item != nullptr &&
            MenuItemKind(OptionCaption(*item)) == TMenuItemKind::Band)
            result.setHeight(std::max(1, result.height() - THV_PopupMenu::kBandShrink));
        return result;
    }
};

// One style for every such menu and its submenus, living as long as the application.
QProxyStyle* SpecialItemStyle() {
    static QPointer<QProxyStyle> style;
    if (style.isNull()) {
        style = new TSpecialItemStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style.data();
}

} // namespace

THV_PopupMenu::THV_PopupMenu(QWidget* parent) : QMenu(parent) {
    setStyle(SpecialItemStyle());
}

THV_PopupMenu::THV_PopupMenu(const QString& title, QWidget* parent) : THV_PopupMenu(parent) {
    setTitle(title);
}

void THV_PopupMenu::UpdateItems(QAction* item) {
    if (item != nullptr) {
        PrepareMenuItem(item);
        return;
    }
    PrepareSubmenu(this);
}

void THV_PopupMenu::PrepareSubmenu(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        PrepareMenuItem(action);
        // A submenu of the same class prepares its own items.
        QMenu* submenu = action->menu();
        if (submenu != nullptr && submenu != menu && qobject_cast<THV_PopupMenu*>(submenu) == nullptr)
            PrepareSubmenu(submenu);
    }
}

void THV_PopupMenu::PrepareMenuItem(QAction* item) {
    if (item->isSeparator())
        return;
    if (MenuItemKind(item->text()) != TMenuItemKind::Ordinary && item->isEnabled())
        item->setEnabled(false); // a change of state only, so this does not recurse for ever
    if (QMenu* submenu = item->menu(); submenu != nullptr && submenu->style() != SpecialItemStyle() &&
                                       qobject_cast<THV_PopupMenu*>(submenu) == nullptr)
        submenu->setStyle(SpecialItemStyle());
}

void THV_PopupMenu::actionEvent(QActionEvent* event) {
    QMenu::actionEvent(event);
    if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged)
        UpdateItems(event->action());
}
