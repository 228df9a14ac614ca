#include "db/menu_state.h"

#include "db/menu_tree.h"

#include <stdexcept>

namespace veranth::db {

MenuState::MenuState() {
    for (const MenuItemDef& def : MainMenuTree())
        items_.insert(QLatin1String(def.name), ItemState{def.visible, def.enabled, false, QString::fromUtf8(def.caption), {}});
}

const ItemState& MenuState::Item(const QString& name) const {
    const auto it = items_.constFind(name);
    // A name that is not in the tree is a typo in the program, not a state to carry on from.
    if (it == items_.constEnd()) throw std::logic_error("no menu item named " + name.toStdString());
    return *it;
}

ItemState& MenuState::Mutable(const QString& name) {
    const auto it = items_.find(name);
    if (it == items_.end()) throw std::logic_error("no menu item named " + name.toStdString());
    return *it;
}

void MenuState::Changed(const QString& name) {
    if (observer_) observer_(name, items_.value(name));
}

void MenuState::SetVisible(const QString& name, bool visible) {
    ItemState& item = Mutable(name);
    if (item.visible == visible) return;
    item.visible = visible;
    Changed(name);
}

void MenuState::SetEnabled(const QString& name, bool enabled) {
    ItemState& item = Mutable(name);
    if (item.enabled == enabled) return;
    item.enabled = enabled;
    Changed(name);
}

void MenuState::SetChecked(const QString& name, bool checked) {
    ItemState& item = Mutable(name);
    if (item.checked == checked) return;
    item.checked = checked;
    Changed(name);
}

void MenuState::SetCaption(const QString& name, const QString& caption) {
    ItemState& item = Mutable(name);
    if (item.caption == caption) return;
    item.caption = caption;
    Changed(name);
}

void MenuState::SetTag(const QString& name, const QString& tag) { Mutable(name).tag = tag; }

}  // namespace veranth::db
