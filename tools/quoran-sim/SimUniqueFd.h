#pragma once

#include <unistd.h>
#include <utility>

// Owns one file descriptor; closes it when it goes.
class SimUniqueFd
{
public:
    SimUniqueFd() = default;
    explicit SimUniqueFd(int fd) : m_fd(fd) {}
    ~SimUniqueFd() { reset(); }

    SimUniqueFd(const SimUniqueFd &) = delete;
    SimUniqueFd &operator=(const SimUniqueFd &) = delete;
    SimUniqueFd(SimUniqueFd &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    SimUniqueFd &operator=(SimUniqueFd &&other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_fd, -1));
        return *this;
    }

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool isValid() const { return m_fd >= 0; }
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};
