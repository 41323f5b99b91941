#include "dictation/DictationLogging.h"

Q_LOGGING_CATEGORY(lcHotkeyManager, "com.torvenak.talvoro-mac.HotkeyManager")
Q_LOGGING_CATEGORY(lcPermissionManager, "com.torvenak.talvoro-mac.PermissionManager")
Q_LOGGING_CATEGORY(lcAudioFeedback, "com.torvenak.talvoro-mac.AudioFeedbackManager")
Q_LOGGING_CATEGORY(lcMicrophones, "com.torvenak.talvoro-mac.SystemMicrophoneProvider")
Q_LOGGING_CATEGORY(lcRecordingOverlay, "com.torvenak.talvoro-mac.RecordingOverlayPanelController")
