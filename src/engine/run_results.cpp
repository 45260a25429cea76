#include "engine/run_results.h"

#include "base/paths.h"
#include "engine/result_path.h"

#include <QHash>

#include <algorithm>

namespace tessaly {

void RunResults::start(int index, const QString &source)
{
    const size_t name = qHash(sharedResultName(GetFileName(source, u'/')));
    const std::lock_guard lock(m_mutex);
    m_unsettled.push_back({index, name});
}

bool RunResults::mustWait(int index, bool anyName) const
{
    const auto own = std::find_if(m_unsettled.begin(), m_unsettled.end(),
                                  [&](const Unsettled &file) { return file.index == index; });
    return std::any_of(m_unsettled.begin(), m_unsettled.end(), [&](const Unsettled &file) {
        return file.index < index && (anyName || own == m_unsettled.end() || file.name == own->name);
    });
}

std::optional<QString> RunResults::claim(int index, const QString &source, const Destination &destination,
                                         const std::optional<Place> &linked)
{
    std::unique_lock lock(m_mutex);
    if (mustWait(index, linked.has_value())) {
        ++m_waiting;
        m_settled.wait(lock, [&] { return !mustWait(index, linked.has_value()); });
        --m_waiting;
    }
    std::optional<QString> earlier;
    const auto [place, newPlace] =
        m_places.try_emplace(Place{destination.folder->identity(), destination.name}, Claimant{index, source});
    if (place->second.index != index) {
        earlier = place->second.source;
    } else if (linked) {
        // Another name (a link) for the place of an earlier result of this run;
        // a later file may have claimed that place already, and does not count.
        const auto target = m_places.find(*linked);
        if (target != m_places.end() && target->second.index < index) {
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
    const std::lock_guard lock(m_mutex);
    const auto file = std::find_if(m_unsettled.begin(), m_unsettled.end(),
                                   [&](const Unsettled &unsettled) { return unsettled.index == index; });
    if (file == m_unsettled.end())
        return;
    m_unsettled.erase(file);
    if (m_waiting > 0)
        m_settled.notify_all();
}

} // namespace tessaly
