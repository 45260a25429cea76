// The files and folders the program is started with ("tessaly PATH…", as the
// desktop passes the pages opened with Tessaly), added to the list as a drop
// adds them: folders with their HTML files, then the question about the files
// that are not HTML.
#pragma once

#include <QStringList>

namespace tessaly {

class MainWindow;

// Paths relative to the current folder are taken from there. The paths are added
// once the window's events run, so the question comes up over the shown window.
void openPaths(MainWindow &window, const QStringList &paths);

} // namespace tessaly
