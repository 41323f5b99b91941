#pragma once

// Template members of ModelContext; included at the end of ModelContext.h.

template<class T>
talvoro::store::detail::PendingChanges<T> *ModelContext::findPending() const
{
    const auto it = m_pending.find(ModelTraits<T>::table);
    if (it == m_pending.end())
        return nullptr;
    return static_cast<talvoro::store::detail::PendingChanges<T> *>(it->second.get());
}

template<class T>
talvoro::store::detail::PendingChanges<T> &ModelContext::pendingFor()
{
    auto &slot = m_pending[ModelTraits<T>::table];
    if (!slot)
        slot = std::make_unique<talvoro::store::detail::PendingChanges<T>>();
    return static_cast<talvoro::store::detail::PendingChanges<T> &>(*slot);
}

template<class T>
quint64 ModelContext::differingFields(const T &a, const T &b)
{
    using Traits = ModelTraits<T>;
    quint64 mask = 0;
    for (int f = 1; f < Traits::fieldCount; ++f) {
        if (!Traits::fieldEquals(static_cast<typename Traits::Field>(f), a, b))
            mask |= quint64(1) << f;
    }
    return mask;
}

template<class T>
T ModelContext::merged(const T &row, const typename talvoro::store::detail::PendingChanges<T>::Change &change)
{
    using Traits = ModelTraits<T>;
    T value = row;
    for (int f = 1; f < Traits::fieldCount; ++f) {
        if (change.fieldMask & (quint64(1) << f))
            Traits::copyField(static_cast<typename Traits::Field>(f), value, change.value);
    }
    return value;
}

template<class T>
std::expected<std::vector<T>, StoreError> ModelContext::fetch(const FetchDescriptor<T> &descriptor) const
{
    using Pending = talvoro::store::detail::PendingChanges<T>;
    if (!m_container || !m_container->database().isOpen())
        return std::unexpected(unavailable());
    SqliteDatabase &db = m_container->database();
    const Pending *pending = findPending<T>();
    if (!pending || pending->isEmpty())
        return talvoro::store::fetchRows<T>(db, descriptor);

    auto rows = talvoro::store::fetchRows<T>(db, descriptor, false);
    if (!rows)
        return rows;
    std::vector<T> result;
    result.reserve(rows->size());
    QSet<QUuid> seen;
    for (T &row : *rows) {
        const QUuid id = ModelTraits<T>::id(row);
        if (const auto *change = pending->find(id)) {
            seen.insert(id);
            if (change->kind == Pending::Kind::remove)
                continue;
            T value = change->kind == Pending::Kind::upsert ? change->value : merged(row, *change);
            if (descriptor.matches(value))
                result.push_back(std::move(value));
            continue;
        }
        if (descriptor.matches(row))
            result.push_back(std::move(row));
    }
    for (auto it = pending->all().constBegin(); it != pending->all().constEnd(); ++it) {
        if (it->kind == Pending::Kind::upsert && !seen.contains(it.key()) && descriptor.matches(it->value))
            result.push_back(it->value);
    }
    talvoro::store::sortModels(result, descriptor.sortBy);
    if (descriptor.fetchLimit && qsizetype(result.size()) > *descriptor.fetchLimit)
        result.resize(static_cast<size_t>(std::max<qsizetype>(0, *descriptor.fetchLimit)));
    return result;
}

template<class T>
std::expected<qsizetype, StoreError> ModelContext::fetchCount(const FetchDescriptor<T> &descriptor) const
{
    const auto *pending = findPending<T>();
    if (!descriptor.predicate && !descriptor.fetchLimit && (!pending || pending->isEmpty())) {
        if (!m_container)
            return std::unexpected(unavailable());
        return m_container->template countCommitted<T>();
    }
    auto models = fetch<T>(FetchDescriptor<T>{descriptor.predicate, {}, descriptor.fetchLimit});
    if (!models)
        return std::unexpected(models.error());
    return qsizetype(models->size());
}

template<class T>
std::optional<T> ModelContext::fetchById(const QUuid &id) const
{
    using Pending = talvoro::store::detail::PendingChanges<T>;
    if (!m_container || !m_container->database().isOpen())
        return std::nullopt;
    const Pending *pending = findPending<T>();
    const auto *change = pending ? pending->find(id) : nullptr;
    if (change && change->kind == Pending::Kind::remove)
        return std::nullopt;
    if (change && change->kind == Pending::Kind::upsert)
        return change->value;
    auto row = talvoro::store::fetchRow<T>(m_container->database(), id);
    if (!row) {
        logFailure("fetch by id", row.error());
        return std::nullopt;
    }
    if (!*row)
        return std::nullopt;
    if (change)
        return merged(**row, *change);
    return std::move(**row);
}

template<class T>
T ModelContext::insert(T model)
{
    using Pending = talvoro::store::detail::PendingChanges<T>;
    if (ModelTraits<T>::id(model).isNull())
        ModelTraits<T>::setId(model, talvoro::newModelId());
    pendingFor<T>().set(ModelTraits<T>::id(model), {Pending::Kind::upsert, model, 0});
    scheduleAutosave();
    return model;
}

template<class T>
std::expected<T, StoreError> ModelContext::update(const T &model)
{
    using Traits = ModelTraits<T>;
    using Pending = talvoro::store::detail::PendingChanges<T>;
    const QUuid id = Traits::id(model);
    const std::optional<T> current = fetchById<T>(id);
    if (!current)
        return std::unexpected(StoreError::notFound(talvoro::uuidString(id)));
    const quint64 mask = differingFields(*current, model);
    if (mask == 0)
        return *current;
    T result = merged(*current, typename Pending::Change{Pending::Kind::update, model, mask});

    Pending &pending = pendingFor<T>();
    const auto *existing = pending.find(id);
    if (existing && existing->kind == Pending::Kind::upsert) {
        pending.set(id, {Pending::Kind::upsert, result, 0});
    } else if (existing && existing->kind == Pending::Kind::update) {
        T carrier = merged(existing->value, typename Pending::Change{Pending::Kind::update, model, mask});
        pending.set(id, {Pending::Kind::update, std::move(carrier), existing->fieldMask | mask});
    } else {
        pending.set(id, {Pending::Kind::update, model, mask});
    }
    scheduleAutosave();
    return result;
}

template<class T, class Mutate>
std::expected<T, StoreError> ModelContext::modify(const QUuid &id, Mutate &&mutate)
{
    std::optional<T> current = fetchById<T>(id);
    if (!current)
        return std::unexpected(StoreError::notFound(talvoro::uuidString(id)));
    T changed = *current;
    mutate(changed);
    // The id is the record's identity; a mutation cannot move it.
    ModelTraits<T>::copyField(static_cast<typename ModelTraits<T>::Field>(0), changed, *current);
    return update<T>(changed);
}

template<class T>
std::expected<T, StoreError> ModelContext::remove(const QUuid &id)
{
    using Pending = talvoro::store::detail::PendingChanges<T>;
    std::optional<T> current = fetchById<T>(id);
    if (!current)
        return std::unexpected(StoreError::notFound(talvoro::uuidString(id)));
    pendingFor<T>().set(id, {Pending::Kind::remove, *current, 0});
    scheduleAutosave();
    return *current;
}

template<class T>
std::expected<void, StoreError> ModelContext::upsertAll(const std::vector<T> &models)
{
    if (!m_container)
        return std::unexpected(unavailable());
    auto result = m_container->write([&models](SqliteDatabase &db, StoreChangeSet &changeSet)
                                         -> std::expected<void, StoreError> {
        ModelChanges<T> &changes = changeSet.changes<T>();
        changes.upserted.reserve(models.size());
        for (const T &model : models) {
            auto inserted = talvoro::store::upsertRow<T>(db, model);
            if (!inserted)
                return std::unexpected(inserted.error());
            changes.addUpserted(model, *inserted);
        }
        return {};
    });
    if (result) {
        if (auto *pending = findPending<T>()) {
            for (const T &model : models)
                pending->erase(ModelTraits<T>::id(model));
        }
    }
    return result;
}

template<class T>
std::expected<void, StoreError> ModelContext::deleteAll()
{
    if (!m_container)
        return std::unexpected(unavailable());
    auto result = m_container->write([](SqliteDatabase &db, StoreChangeSet &changeSet)
                                         -> std::expected<void, StoreError> {
        if (auto removed = talvoro::store::deleteAllRows<T>(db); !removed)
            return removed;
        changeSet.changes<T>().cleared = true;
        return {};
    });
    if (result) {
        if (auto *pending = findPending<T>())
            pending->clear();
    }
    return result;
}
