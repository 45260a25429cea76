#include "engine/run_results.h"

namespace tessaly {

std::optional<QString> RunResults::claim(int index, const QString &source, const Destination &destination,
                                         const std::optional<Place> &linked)
{
    std::unique_lock lock(m_mutex);
    m_settled.wait(lock, [&] { return earlierSettled(index); });
    std::optional<QString> earlier;
    const auto [place, newPlace] =
        m_places.try_emplace(Place{destination.folder->identity(), destination.name}, Claimant{index, source});
    if (place->second.index != index) {
        earlier = place->second.source;
    } else if (linked) {
        // Another name (a link) for the place of an earlier result of this run.
        const auto target = m_places.find(*linked);
        if (target != m_places.end() && target->second.index != index) {
            earlier = target->second.source;
            // A result that is not written claims nothing.
            if (newPlace)
                m_places.erase(place);
        }
    }
    lock.unlock();
    settle(index);
    return earlier;
}

void RunResults::settle(int index)
{
    {
        const std::lock_guard lock(m_mutex);
        if (index <= m_settledThrough)
            return;
        if (index != m_settledThrough + 1) {
            m_settledLater.insert(index);
            return;
        }
        m_settledThrough = index;
        for (auto next = m_settledLater.begin(); next != m_settledLater.end() && *next == m_settledThrough + 1;
             next = m_settledLater.erase(next))
            ++m_settledThrough;
    }
    m_settled.notify_all();
}

} // namespace tessaly
