#include "engine/run_results.h"

namespace tessaly {

std::optional<QString> RunResults::claim(int index, const QString &source, const Destination &destination,
                                         const FolderEntry &now)
{
    std::unique_lock lock(m_mutex);
    m_settled.wait(lock, [&] { return earlierSettled(index); });
    std::optional<QString> earlier;
    const Claimant claimant{index, source};
    const auto [place, newPlace] = m_places.try_emplace({destination.folder->identity(), destination.name}, claimant);
    if (place->second.index != index)
        earlier = place->second.source;
    if (now.exists && !earlier) {
        // Another name (a link) for a file that a result of this run is written over.
        const auto file = m_files.try_emplace(now.identity, claimant).first;
        if (file->second.index != index) {
            earlier = file->second.source;
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
