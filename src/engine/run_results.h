// The results one run writes, each claimed by the file of the list it belongs to,
// so that no result replaces another result of the same run, and claims are made
// in list order however many files are processed at once.
#pragma once

#include "textio/file_system.h"

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <utility>

namespace tessaly {

class RunResults {
public:
    // Claims the destination's place (folder identity and name) for the file at
    // `index` (from 1) of the run's list. Waits until every earlier file of the
    // list has claimed its result or settled without one. Returns the source that
    // claimed that place first, or the place `linked` (where the destination's
    // name leads when it is a link), or nothing when the result is this file's
    // own. Only places count: what another program writes meanwhile never makes
    // a file of this run fail. The file counts as settled afterwards.
    std::optional<QString> claim(int index, const QString &source, const Destination &destination,
                                 const std::optional<Place> &linked);
    // The file at `index` claims nothing (any more): it was skipped, failed before
    // its result had a name, or has claimed already. Idempotent.
    void settle(int index);

private:
    struct Claimant {
        int index;
        QString source;
    };
    bool earlierSettled(int index) const { return index <= m_settledThrough + 1; }

    std::mutex m_mutex;
    std::condition_variable m_settled;
    int m_settledThrough = 0;    // files 1..m_settledThrough have all settled
    std::set<int> m_settledLater;  // settled files past a gap
    std::map<Place, Claimant> m_places;
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
