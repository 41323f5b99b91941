#pragma once

#include <QStringList>

// The store's schema as a list of migrations: entry n takes a database from
// version n to n + 1 (PRAGMA user_version). Append, never edit, an entry.
namespace talvoro::store {

const QStringList &schemaMigrations();

} // namespace talvoro::store
