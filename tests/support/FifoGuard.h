#pragma once

// A FIFO where a data file belongs: code that opens it the plain way waits in open() until
// some other program opens the other end. returnsSoon() runs such code on a worker thread and
// tells whether it came back in time; if not, it opens the FIFO's other end itself, so that a
// failing test fails instead of hanging.
#include <QFile>
#include <QString>

#include <chrono>
#include <csignal>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvanta::test {

inline bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

template <class Call>
bool returnsSoon(const QString &fifo, Call &&call, std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    // A writer set free by a reader that then goes away must not kill the test.
    std::signal(SIGPIPE, SIG_IGN);
    auto done = std::async(std::launch::async, std::forward<Call>(call));
    if (done.wait_for(limit) == std::future_status::ready) {
        done.get();
        return true;
    }
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (fd >= 0)
        ::close(fd);
    done.wait();
    return false;
}

} // namespace corvanta::test
