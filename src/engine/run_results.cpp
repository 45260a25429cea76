#include "engine/run_results.h"

#include "engine/result_path.h"

#include <QHash>

#include <algorithm>

namespace tessaly {

void RunResults::start(int index, const QString &source)
{
    const size_t name = sharedResultNameHash(QStringView(source).sliced(source.lastIndexOf(u'/') + 1));
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

RunResults::RunResults(qsizetype files, std::function<QString(int)> sourceOf)
    : m_settledByClaim(size_t(files)),
      m_sourceOf(std::move(sourceOf)),
      // At most half the slots are ever taken: each file of the run claims once at most.
      m_slots(size_t(qNextPowerOfTwo(quint64(std::max<qsizetype>(files, 8)) * 2 - 1))),
      m_slotMask(m_slots.size() - 1)
{
}

size_t RunResults::firstSlot(const FileIdentity &folder, std::string_view name) const
{
    return qHashMulti(0, folder.device, folder.inode, QByteArrayView(name.data(), qsizetype(name.size()))) & m_slotMask;
}

size_t RunResults::slotOf(const Place &place) const
{
    const std::string_view name(place.name.constData(), size_t(place.name.size()));
    size_t slot = firstSlot(place.folder, name);
    for (; m_slots[slot] != 0; slot = (slot + 1) & m_slotMask) {
        const Claim &claim = m_claims[m_slots[slot] - 1];
        if (claim.folder == place.folder && nameOf(claim) == name)
            break;
    }
    return slot;
}

std::pair<const RunResults::Claim *, bool> RunResults::place(const Place &place, int index)
{
    const size_t slot = slotOf(place);
    if (m_slots[slot] != 0)
        return {&m_claims[m_slots[slot] - 1], false};
    m_claims.push_back({place.folder, quint32(m_names.size()), quint32(place.name.size()), index});
    m_names += place.name;
    m_slots[slot] = quint32(m_claims.size());
    return {&m_claims.back(), true};
}

void RunResults::takeOutNewest(size_t slot)
{
    // Nothing was claimed since, so no look-up went past this slot while it
    // was taken: freeing it loses no other claim.
    m_names.chop(qsizetype(m_claims.back().length));
    m_claims.pop_back();
    m_slots[slot] = 0;
}

int RunResults::claimantOf(const Place &place)
{
    const quint32 taken = m_slots[slotOf(place)];
    return taken == 0 ? 0 : m_claims[taken - 1].index;
}

std::optional<QString> RunResults::claim(int index, const Destination &destination, const std::optional<Place> &linked)
{
    std::unique_lock lock(m_mutex);
    if (mustWait(index, linked.has_value())) {
        ++m_waiting;
        m_settled.wait(lock, [&] { return !mustWait(index, linked.has_value()); });
        --m_waiting;
    }
    int earlier = 0;
    const Place own{destination.folder->identity(), destination.name};
    const auto [held, newPlace] = place(own, index);
    if (held->index != index) {
        earlier = held->index;
    } else if (linked) {
        // Another name (a link) for the place of an earlier result of this run;
        // a later file may have claimed that place already, and does not count.
        const int target = claimantOf(*linked);
        if (target != 0 && target < index) {
            earlier = target;
            // A result that is not written claims nothing.
            if (newPlace)
                takeOutNewest(slotOf(own));
        }
    }
    settleLocked(index);
    m_settledByClaim[size_t(index - 1)] = true;
    lock.unlock();
    if (earlier == 0)
        return std::nullopt;
    return m_sourceOf(earlier);
}

void RunResults::settle(int index)
{
    if (m_settledByClaim[size_t(index - 1)])
        return;
    const std::lock_guard lock(m_mutex);
    settleLocked(index);
}

void RunResults::settleLocked(int index)
{
    const auto file = std::find_if(m_unsettled.begin(), m_unsettled.end(),
                                   [&](const Unsettled &unsettled) { return unsettled.index == index; });
    if (file == m_unsettled.end())
        return;
    m_unsettled.erase(file);
    if (m_waiting > 0)
        m_settled.notify_all();
}

} // namespace tessaly
