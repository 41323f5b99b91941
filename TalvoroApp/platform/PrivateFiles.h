#pragma once

#include <QString>

// The store, the settings and the offline queue hold the user's dictations
// and account data: they are for the user alone whatever the umask says,
// folders 0700 and files 0600. Existing ones made with wider rights lose
// the group's and others' rights when they are next opened; the owner's
// rights are left as they are.
namespace talvoro {

// Makes the folder (and missing parents, which keep the usual rights) and
// closes the folder itself to others. False when it cannot be made.
bool makePrivateFolder(const QString &path);
// Closes an existing file or folder to others; a missing one stays missing.
void narrowToOwner(const QString &path);
// Creates the file empty at 0600 when missing, else closes it to others.
void makePrivateFile(const QString &path);

} // namespace talvoro
