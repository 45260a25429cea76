// The two streams a run of tessaly-cli reports on. A reader that went away
// (`| head`) stops the run as SIGPIPE would, quietly; other write errors (a full
// disk) are found when the run ends.
#pragma once

#include "engine/stop_token.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <string>

namespace tessaly::cli {

class ReportStreams {
public:
    ReportStreams(FILE *out, FILE *err, StopToken &stop) : m_out(out), m_err(err), m_stop(stop) {}

    FILE *out() const { return m_out; }
    FILE *err() const { return m_err; }
    // Nothing is written once a stream's reader went away.
    void write(FILE *stream, const char *bytes, size_t size);
    void write(FILE *stream, const QByteArray &bytes) { write(stream, bytes.constData(), size_t(bytes.size())); }
    void write(FILE *stream, const std::string &bytes) { write(stream, bytes.data(), bytes.size()); }
    // The text in the locale's encoding.
    void print(FILE *stream, const QString &text) { write(stream, text.toLocal8Bit()); }

private:
    FILE *m_out;
    FILE *m_err;
    StopToken &m_stop;
    bool m_pipeClosed = false;
};

} // namespace tessaly::cli
