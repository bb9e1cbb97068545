#pragma once
// A popup menu whose items carry their kind in the first character of their caption: "#" is a
// header, "*" a label band. Both are drawn specially and cannot be chosen; every other item is
// an ordinary one. Only the program's own menus use this class: a menu built from file names
// stays a plain QMenu, so a file called "#1.bvp" is an ordinary item there.

#include <QMenu>
#include <QString>

enum class TMenuItemKind { Ordinary, Header, Band };

// The kind of an item with this caption.
TMenuItemKind MenuItemKind(const QString& caption);
// The text an item of this caption shows: a header or band without its first character.
QString MenuItemText(const QString& caption);

class THV_PopupMenu : public QMenu {
    Q_OBJECT
public:
    explicit THV_PopupMenu(QWidget* parent = nullptr);
    explicit THV_PopupMenu(const QString& title, QWidget* parent = nullptr);

    // Prepares one item, or with none every item of the menu and of its submenus: headers and
    // bands are disabled and drawn specially. Runs by itself whenever an item is added or changed.
    void UpdateItems(QAction* item = nullptr);

    // Height by which a band is lower than an ordinary item.
    static constexpr int kBandShrink = 5;

protected:
    void actionEvent(QActionEvent* event) override;

private:
    void PrepareMenuItem(QAction* item);
    void PrepareSubmenu(QMenu* menu);
};
