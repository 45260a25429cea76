#include "gui/background_task.h"

#include <QTimer>

#include <algorithm>

namespace tessaly {

void BackgroundTaskBase::stop()
{
    if (m_current)
        m_current->stop.requestStop();
}

void BackgroundTaskBase::abandon()
{
    if (!m_current)
        return;
    m_current->stop.requestStop();
    const std::lock_guard lock(m_mutex);
    m_leaving.push_back(std::move(m_current));
    dropArrived();
}

void BackgroundTaskBase::abandonAndWait()
{
    abandon();
    for (const std::unique_ptr<Job> &job : m_leaving)
        job->thread.join();
    m_leaving.clear();
}

void BackgroundTaskBase::launch(std::function<void(Job &job)> body)
{
    abandon();
    joinFinished();
    auto job = std::make_unique<Job>();
    Job &started = *job;
    {
        const std::lock_guard lock(m_mutex);
        m_current = std::move(job);
    }
    m_sinceDelivery.invalidate();
    try {
        started.thread = std::thread([&started, body = std::move(body)] {
            body(started);
            started.finished = true;
        });
    } catch (...) {
        const std::lock_guard lock(m_mutex);
        m_current.reset();
        throw;
    }
}

void BackgroundTaskBase::postDelivery()
{
    if (m_posted)
        return;
    m_posted = true;
    QMetaObject::invokeMethod(this, &BackgroundTaskBase::deliver, Qt::QueuedConnection);
}

void BackgroundTaskBase::deliver()
{
    // Too soon after the last delivery: what arrives meanwhile comes with it.
    // (m_posted stays set, so the job posts nothing in between.)
    if (m_sinceDelivery.isValid() && m_sinceDelivery.elapsed() < kDeliveryInterval) {
        QTimer::singleShot(kDeliveryInterval - m_sinceDelivery.elapsed(), this, &BackgroundTaskBase::deliver);
        return;
    }
    m_sinceDelivery.start();
    handOver();
}

void BackgroundTaskBase::joinCurrent()
{
    std::unique_ptr<Job> ended;
    {
        const std::lock_guard lock(m_mutex);
        ended = std::move(m_current);
    }
    if (ended && ended->thread.joinable())
        ended->thread.join();
}

void BackgroundTaskBase::joinFinished()
{
    // Jobs given up that have finished meanwhile: their threads go now, the
    // others when the task goes.
    const auto finished = std::stable_partition(m_leaving.begin(), m_leaving.end(),
                                                [](const std::unique_ptr<Job> &job) { return !job->finished; });
    for (auto it = finished; it != m_leaving.end(); ++it)
        (*it)->thread.join();
    m_leaving.erase(finished, m_leaving.end());
}

} // namespace tessaly
