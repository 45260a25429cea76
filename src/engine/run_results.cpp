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

size_t RunResults::ClaimHash::operator()(const Claim &claim) const noexcept
{
    const std::string_view name = results->nameOf(claim);
    return qHashMulti(0, claim.folder.device, claim.folder.inode, QByteArrayView(name.data(), qsizetype(name.size())));
}

bool RunResults::SamePlace::operator()(const Claim &a, const Claim &b) const
{
    return a.folder == b.folder && results->nameOf(a) == results->nameOf(b);
}

RunResults::RunResults(qsizetype files, std::function<QString(int)> sourceOf)
    : m_settledByClaim(size_t(files)),
      m_sourceOf(std::move(sourceOf)),
      m_claims(size_t(files), ClaimHash{this}, SamePlace{this})
{
}

std::pair<std::unordered_set<RunResults::Claim, RunResults::ClaimHash, RunResults::SamePlace>::iterator, bool>
RunResults::place(const Place &place, int index)
{
    const Claim claim{place.folder, quint32(m_names.size()), quint32(place.name.size()), index};
    m_names += place.name;
    const auto placed = m_claims.insert(claim);
    if (!placed.second)
        m_names.chop(place.name.size());
    return placed;
}

int RunResults::claimantOf(const Place &place)
{
    const Claim probe{place.folder, quint32(m_names.size()), quint32(place.name.size()), 0};
    m_names += place.name;
    const auto found = m_claims.find(probe);
    const int index = found == m_claims.end() ? 0 : found->index;
    m_names.chop(place.name.size());
    return index;
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
    const auto [own, newPlace] = place({destination.folder->identity(), destination.name}, index);
    if (own->index != index) {
        earlier = own->index;
    } else if (linked) {
        // Another name (a link) for the place of an earlier result of this run;
        // a later file may have claimed that place already, and does not count.
        const int target = claimantOf(*linked);
        if (target != 0 && target < index) {
            earlier = target;
            // A result that is not written claims nothing.
            if (newPlace) {
                m_claims.erase(own);
                m_names.chop(destination.name.size());
            }
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
