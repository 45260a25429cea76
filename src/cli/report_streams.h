// The two streams a run of tessaly-cli reports on, each written whole lines at
// a time (LineStream). A reader that went away (`| head`) stops the run as
// SIGPIPE would, quietly; other write errors (a full disk) are found when the
// run ends.
#pragma once

#include "cli/line_stream.h"
#include "engine/stop_token.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <string>

namespace tessaly::cli {

class ReportStreams {
public:
    // `out` and `err` must be unbuffered (setvbuf with _IONBF).
    ReportStreams(FILE *out, FILE *err, StopToken &stop) : m_out(out, stop), m_err(err, stop), m_stop(stop) {}

    FILE *out() const { return m_out.file(); }
    FILE *err() const { return m_err.file(); }
    // `bytes` is whole lines, or the progress line. What goes to standard error
    // comes after the lines held for standard output, as on a terminal. Nothing
    // is written once a stream's reader went away.
    void write(FILE *stream, const char *bytes, size_t size);
    void write(FILE *stream, const QByteArray &bytes) { write(stream, bytes.constData(), size_t(bytes.size())); }
    void write(FILE *stream, const std::string &bytes) { write(stream, bytes.data(), bytes.size()); }
    // The text in the locale's encoding.
    void print(FILE *stream, const QString &text) { write(stream, text.toLocal8Bit()); }
    // Writes the lines held back; before the program ends.
    void flush();
    // The errno of the first failed write to the stream, -1 when it is unknown,
    // 0 when none failed.
    int outError() const { return m_out.error(); }
    int errError() const { return m_err.error(); }

private:
    void readerGone();

    LineStream m_out;
    LineStream m_err;
    StopToken &m_stop;
    bool m_pipeClosed = false;
};

} // namespace tessaly::cli
