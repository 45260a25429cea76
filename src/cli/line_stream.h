// One report stream of tessaly-cli, written whole lines at a time: a reader
// that reads gets every line whole, however slowly it reads and whenever a stop
// signal comes; only one that takes nothing for a while after a stop loses the
// rest, in whole lines, so that the program still ends.
#pragma once

#include "engine/stop_token.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace tessaly::cli {

class LineStream {
public:
    // How long after a stop a reader may take nothing before the stream's
    // remaining output is dropped.
    static constexpr std::chrono::milliseconds kStalledReader{2000};

    // `file` must be unbuffered: the lines are held here, to go out whole.
    LineStream(FILE *file, const StopToken &stop);

    FILE *file() const { return m_file; }
    // `bytes` is whole lines (or a progress line): on a pipe, socket or terminal
    // they are written in pieces of whole lines of at most PIPE_BUF bytes, each of
    // which the reader gets at once or not at all (a longer line is cut into
    // such pieces); a file takes them in one write. Up to PIPE_BUF bytes of lines
    // are held back, except on a terminal and on a stream without a descriptor
    // (fopencookie), which get each at once. Returns false when the reader went
    // away (EPIPE); any failed write is kept for error().
    bool write(const char *bytes, size_t size);
    // Writes the lines held back.
    bool flush();
    // The errno of the first write that failed, -1 when it is unknown, 0 when
    // none did.
    int error() const;

private:
    bool send(const char *bytes, size_t size);
    size_t pieceEnd(const char *bytes, size_t size) const;

    FILE *m_file;
    const StopToken &m_stop;
    int m_fd;              // -1 for a stream without a descriptor
    size_t m_piece;        // the most written at once
    bool m_holds;          // lines are held back up to a piece
    bool m_waits;          // a write may block: wait until the descriptor takes more
    bool m_dropped = false;  // the reader took nothing for kStalledReader after a stop
    int m_error = 0;
    std::string m_held;
};

} // namespace tessaly::cli
