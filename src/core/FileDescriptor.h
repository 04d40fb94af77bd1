#pragma once

#include <cerrno>
#include <unistd.h>

// Owns one open file descriptor of the system's file interface.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool isOpen() const { return m_fd >= 0; }

    // Closes now; returns 0 or the errno of a failed close. The descriptor is
    // gone either way (Linux never keeps it after close), so no retry.
    [[nodiscard]] int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};
