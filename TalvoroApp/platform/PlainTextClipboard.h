#pragma once

#include <QString>

namespace talvoro {

// Empties the clipboard, then puts `text` on it as plain text only (no rich
// text or other formats), also when `text` is empty. Under X11 the
// application owns the copied text: it is gone when the application quits
// unless a clipboard manager keeps it.
void copyPlainText(const QString &text);

} // namespace talvoro
