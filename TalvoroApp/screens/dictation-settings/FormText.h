#pragma once

#include <QString>

// The forms' trimming: the Unicode space separators and the tab, at both ends
// only. Line breaks stay (QString::trimmed() would remove them), so a
// replacement text may end in one.
QString trimmedSpacesAndTabs(const QString &text);
