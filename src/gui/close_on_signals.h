// SIGTERM, SIGHUP and SIGINT (logging out, `kill`, Ctrl+C in the terminal that
// started the program) close the main window as its close button does: a run
// in progress finishes the files in flight and leaves no temporary file.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace tessaly {

class CloseOnSignals : public QObject {
public:
    // Install once, before any thread is started; `window` must outlive it.
    explicit CloseOnSignals(QWidget &window);
    ~CloseOnSignals() override;

private:
    QWidget &m_window;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tessaly
