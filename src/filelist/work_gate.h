// Asked between the steps of a long file-list loop (a scan, a listing, a filter):
// whether to go on. A loop on a worker thread ends once its stop token is set; one
// on the window's thread hands the window its events and ends when that says no.
#pragma once

#include "base/pending_events.h"
#include "engine/stop_token.h"

namespace tessaly {

class WorkGate {
public:
    // Either may be empty (null): then it never says stop.
    WorkGate(const StopToken *stop, HandOverEvents handOver) : m_stop(stop), m_events(std::move(handOver)) {}

    // Once false, always false.
    [[nodiscard]] bool goOn() { return !(m_stop && m_stop->stopRequested()) && m_events.poll(); }

private:
    const StopToken *m_stop;
    PendingEvents m_events;
};

} // namespace tessaly
