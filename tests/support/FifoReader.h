#pragma once
// The reading end of a FIFO that a test hands to the program: read on a
// thread of its own from the moment it is made.
#include "files/UniqueFd.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

// Reads a FIFO on a thread of its own from the moment it is made; finish()
// returns what came. It is open before any writer comes, so a writer never
// waits for it, and a write that never comes does not hang the test.
class FifoReader
{
public:
    explicit FifoReader(const QString &fifo) : m_fd(::open(QFile::encodeName(fifo).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
        m_thread = std::thread([this] {
            pollfd watched{m_fd.get(), POLLIN, 0};
            while (m_fd.isOpen()) {
                const int ready = ::poll(&watched, 1, 20);
                if (ready == 0) {
                    if (m_stop)
                        break;   // no writer came
                    continue;
                }
                char buffer[65536];
                const ssize_t n = ::read(m_fd.get(), buffer, sizeof buffer);
                if (n > 0)
                    m_bytes.append(buffer, qsizetype(n));
                else if (n == 0 || errno != EAGAIN)
                    break;   // the writer is done
            }
        });
    }
    // Once the write has returned: what the FIFO got.
    QByteArray finish()
    {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
        }
        return m_bytes;
    }
    ~FifoReader() { finish(); }

private:
    UniqueFd m_fd;
    QByteArray m_bytes;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

