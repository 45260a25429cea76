// Asked between the steps of a long file-list loop (a scan, a listing): whether
// to go on. The loop runs on a worker thread and ends once its stop token is set.
#pragma once

#include "engine/stop_token.h"

namespace tessaly {

class WorkGate {
public:
    // A null token never says stop.
    explicit WorkGate(const StopToken *stop) : m_stop(stop) {}

    [[nodiscard]] bool goOn() const { return !(m_stop && m_stop->stopRequested()); }

private:
    const StopToken *m_stop;
};

} // namespace tessaly
