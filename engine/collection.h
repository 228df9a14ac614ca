#pragma once

#include "engine/errors.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace veranth::engine {

// An ordered collection of named engine objects, looked up by position or by name without
// regard to case. The owner decides what appending and deleting mean (persisting a field,
// dropping an index) through the two hooks; a hook that throws leaves the collection as it was.
template <class T>
class Collection {
public:
    using Item = std::shared_ptr<T>;
    using Hook = std::function<void(const Item&)>;

    explicit Collection(int duplicateError = err::kNameExists) : duplicateError_(duplicateError) {}

    int count() const { return static_cast<int>(items_.size()); }
    Item item(int index) const {
        if (index < 0 || index >= count()) throw EngineError(err::kItemNotFound, QString::number(index));
        return items_[static_cast<size_t>(index)];
    }
    Item item(const QString& name) const {
        if (Item found = find(name)) return found;
        throw EngineError(err::kItemNotFound, name);
    }
    Item find(const QString& name) const {
        for (const auto& i : items_)
            if (i->name().compare(name, Qt::CaseInsensitive) == 0) return i;
        return nullptr;
    }
    bool contains(const QString& name) const { return find(name) != nullptr; }
    QStringList names() const {
        QStringList out;
        for (const auto& i : items_) out << i->name();
        return out;
    }

    void append(const Item& item) {
        if (!item) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("no object to append"));
        if (item->name().trimmed().isEmpty())
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("an object needs a name before it is appended"));
        if (contains(item->name())) throw EngineError(duplicateError_, item->name());
        if (beforeAppend_) beforeAppend_(item);
        items_.push_back(item);
    }
    void remove(const QString& name) {
        for (auto it = items_.begin(); it != items_.end(); ++it)
            if ((*it)->name().compare(name, Qt::CaseInsensitive) == 0) {
                if (beforeRemove_) beforeRemove_(*it);
                items_.erase(it);
                return;
            }
        throw EngineError(err::kItemNotFound, name);
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    // Owner side: hooks, and filling from what is already stored (no hooks run).
    void setHooks(Hook beforeAppend, Hook beforeRemove) {
        beforeAppend_ = std::move(beforeAppend);
        beforeRemove_ = std::move(beforeRemove);
    }
    void setRefresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }
    void refresh() {
        if (refresh_) refresh_();
    }
    void load(std::vector<Item> items) { items_ = std::move(items); }
    void loadOne(const Item& item) { items_.push_back(item); }

private:
    std::vector<Item> items_;
    Hook beforeAppend_;
    Hook beforeRemove_;
    std::function<void()> refresh_;
    int duplicateError_;
};

}  // namespace veranth::engine
