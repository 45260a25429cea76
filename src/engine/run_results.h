// The results one run writes, each claimed by the file of the list it belongs to,
// so that no result replaces another result of the same run, and the first file
// of the list wins a place however many files are processed at once.
#pragma once

#include "engine/run_mutex.h"
#include "textio/file_system.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace tessaly {

class RunResults {
public:
    // For a run of `files` files; `sourceOf` names the file at an index of its
    // list, for the files that find their place claimed.
    RunResults(qsizetype files, std::function<QString(int index)> sourceOf);

    // The file at `index` (from 1) of the run's list is taken. Files are started
    // in list order; until one settles, a later file whose result could take the
    // same place waits for it in claim(), and only such a file.
    void start(int index, const QString &source);
    // Claims the destination's place (folder identity and name) for the file at
    // `index`. Waits for the earlier files still at work whose result names could
    // be the same (a result name and its "_replaced" forms), or for every earlier
    // one when the name is a link (`linked`: where it leads). Returns the source of
    // an earlier file that claimed that place or the place `linked`, or nothing
    // when the result is this file's own. Only places count: what another program
    // writes meanwhile never makes a file of this run fail. The file counts as
    // settled afterwards.
    std::optional<QString> claim(int index, const Destination &destination, const std::optional<Place> &linked);
    // The file at `index` claims nothing (any more): it was skipped, failed before
    // its result had a name, or has claimed already. Idempotent.
    void settle(int index);

private:
    // A claimed place, kept compact as there is one per file of the run: its name
    // is in m_names.
    struct Claim {
        FileIdentity folder;
        quint32 offset;
        quint32 length;
        int index;  // of the file that claimed it
    };
    std::string_view nameOf(const Claim &claim) const { return {m_names.constData() + claim.offset, claim.length}; }
    // Where a look-up for the place starts in m_slots.
    size_t firstSlot(const FileIdentity &folder, std::string_view name) const;
    // The slot of m_slots where the place's claim is, or the free one where it
    // would go.
    size_t slotOf(const Place &place) const;
    // The claim of the place: by the file at `index` unless the place is claimed
    // already (then false). A new claim is the last of m_claims and its name the
    // last in m_names; takeOutNewest() takes both out again.
    std::pair<const Claim *, bool> place(const Place &place, int index);
    void takeOutNewest(size_t slot);
    // The index of the file that claimed the place, 0 when none did.
    int claimantOf(const Place &place);
    struct Unsettled {
        int index;
        size_t name;  // hash of the result name its "_replaced" forms share
    };
    // Whether an earlier file still at work could claim what the file at `index`
    // claims. Under m_mutex.
    bool mustWait(int index, bool anyName) const;
    // settle(), under m_mutex.
    void settleLocked(int index);

    RunMutex m_mutex;
    std::condition_variable_any m_settled;
    int m_waiting = 0;                   // claims waiting for m_settled
    std::vector<Unsettled> m_unsettled;  // started, not settled: a few, as many as the jobs
    // By list place, whether the file settled with its claim, so that settling it
    // again takes no lock. Each is written and read by the thread of its file
    // only (bytes, not bits: no two files share one).
    std::vector<char> m_settledByClaim;
    std::function<QString(int)> m_sourceOf;
    QByteArray m_names;
    // The claims in the order they were made, and an open-addressing table of
    // them (each slot 0 when free, else the claim's place in m_claims plus 1),
    // sized once for the run's files: a look-up reads one slot as a rule, and a
    // claim costs no allocation of its own. The claims are kept in blocks, which
    // a long run adds one by one instead of copying all it has to a larger block.
    std::deque<Claim> m_claims;
    std::vector<quint32> m_slots;
    const size_t m_slotMask;
};

// Settles one file of the run when it goes out of scope, whatever way its job ends.
class SettledFile {
public:
    SettledFile(RunResults *results, int index) : m_results(results), m_index(index) {}
    ~SettledFile()
    {
        if (m_results)
            m_results->settle(m_index);
    }
    SettledFile(const SettledFile &) = delete;
    SettledFile &operator=(const SettledFile &) = delete;

private:
    RunResults *m_results;
    int m_index;
};

} // namespace tessaly
