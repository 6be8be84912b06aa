#pragma once

class QString;

namespace KelPlatform {

// Shows the file selected in the user's file manager, through the
// org.freedesktop.FileManager1 service of the session bus; when no file
// manager answers, opens the file's folder with QDesktopServices. False
// when both fail, with failure set to why the file manager did not answer
// (a QDBusError::ErrorType, never NoError). GUI thread only.
bool showInFileManager(const QString &filePath, int *failure = nullptr);

} // namespace KelPlatform
