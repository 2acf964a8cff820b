#include "runner/run_on_worker.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>

void runOnWorkerThread(const std::function<void()>& work) {
    std::unique_ptr<QThread> thread(QThread::create(work));
    bool done = false;
    // The finished signal also wakes the event wait below.
    QObject::connect(thread.get(), &QThread::finished, QCoreApplication::instance(),
                     [&done] { done = true; });
    thread->start();
    // Not a nested QEventLoop: one that an application quit has ended would
    // return at once, while the work may still wait for an answer here.
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    thread->wait();
}
