#include "toolkit/core/HeldFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace tk {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

} // namespace

HeldFolder::~HeldFolder() { Close(); }

void HeldFolder::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    locked_ = false;
}

bool HeldFolder::Open(const std::string& path, int waitMs)
{
    Close();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0)
            return false;
        if (::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
            if (std::chrono::steady_clock::now() >= until)
                return true; // held unlocked: still one folder for all that is read
            Close();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        // The lock came after a swap: the name may belong to another folder now.
        struct stat held {}, named {};
        if (::fstat(fd_, &held) == 0 && ::stat(path.c_str(), &named) == 0 && SameFile(held, named)) {
            locked_ = true;
            return true;
        }
        Close();
        if (std::chrono::steady_clock::now() >= until)
            return false;
    }
}

std::optional<std::string> HeldFolder::Read(const std::string& name, std::size_t maxBytes) const
{
    if (fd_ < 0)
        return std::nullopt;
    // Not blocking: a pipe put there must not hold the station.
    const int file = ::openat(fd_, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0)
        return std::nullopt;
    std::optional<std::string> bytes;
    struct stat info {};
    if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) <= maxBytes) {
        std::string text;
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = ::read(file, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                if (got == 0)
                    bytes = std::move(text);
                break;
            }
            text.append(buffer, static_cast<std::size_t>(got));
            if (text.size() > maxBytes)
                break;
        }
    }
    ::close(file);
    return bytes;
}

int LockFolderAlone(int folderFd, bool wait)
{
    return ::flock(folderFd, wait ? LOCK_EX : LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

} // namespace tk
