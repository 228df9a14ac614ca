#pragma once

#include <QHash>
#include <QString>
#include <functional>

namespace veranth::db {

// The state of one menu item or toolbar button.
struct ItemState {
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    QString caption;
    QString tag;
};

// The visible, enabled, pressed, caption and tag state of every item of the main window, kept apart
// from the widgets so every rule that changes it runs without a window. The window listens and
// applies each change to its actions.
class MenuState {
public:
    MenuState();  // every item as the window loads

    bool Has(const QString& name) const { return items_.contains(name); }
    const ItemState& Item(const QString& name) const;
    bool Visible(const QString& name) const { return Item(name).visible; }
    bool Enabled(const QString& name) const { return Item(name).enabled; }
    bool Checked(const QString& name) const { return Item(name).checked; }
    const QString& Caption(const QString& name) const { return Item(name).caption; }
    const QString& Tag(const QString& name) const { return Item(name).tag; }

    void SetVisible(const QString& name, bool visible);
    void SetEnabled(const QString& name, bool enabled);
    void SetChecked(const QString& name, bool checked);
    void SetCaption(const QString& name, const QString& caption);
    void SetTag(const QString& name, const QString& tag);

    using Observer = std::function<void(const QString& name, const ItemState& state)>;
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

private:
    ItemState& Mutable(const QString& name);
    void Changed(const QString& name);

    QHash<QString, ItemState> items_;
    Observer observer_;
};

}  // namespace veranth::db
