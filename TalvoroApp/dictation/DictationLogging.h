#pragma once

#include <QLoggingCategory>

// Log categories of the dictation core, one per component.
Q_DECLARE_LOGGING_CATEGORY(lcHotkeyManager)
Q_DECLARE_LOGGING_CATEGORY(lcPermissionManager)
Q_DECLARE_LOGGING_CATEGORY(lcAudioFeedback)
Q_DECLARE_LOGGING_CATEGORY(lcMicrophones)
Q_DECLARE_LOGGING_CATEGORY(lcRecordingOverlay)
