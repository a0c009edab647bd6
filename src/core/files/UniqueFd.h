#pragma once
// A POSIX file descriptor that closes itself.
#include <cerrno>
#include <unistd.h>

class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    UniqueFd(UniqueFd &&other) noexcept : m_fd(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.release();
        }
        return *this;
    }

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes now and returns 0, or the errno of a failed close.
    int close()
    {
        if (m_fd < 0)
            return 0;
        return ::close(release()) == 0 ? 0 : errno;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(release());
    }

private:
    int m_fd = -1;
};
