#pragma once
// A folder opened once. Every file read through it comes from that very
// folder, even when its name is given to another folder meanwhile (a bank
// swapped in by renaming): what is read together belongs together.
//
// Readers and the one who swaps the folder meet at a lock on the folder
// itself, taken on a descriptor opened read-only, so that taking it writes
// nothing: readers share it, the swap needs it alone.
#include <cstddef>
#include <optional>
#include <string>

namespace tk {

class HeldFolder {
public:
    HeldFolder() = default;
    ~HeldFolder();
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    // Opens the folder and takes the shared lock on the folder that bears the
    // name once the lock is held. A swap holds the lock only for the moment of
    // the rename; should it be held longer than waitMs, the folder is opened
    // without the lock. False when there is no such folder.
    bool Open(const std::string& path, int waitMs = 1000);
    bool IsOpen() const { return fd_ >= 0; }
    bool Locked() const { return locked_; }
    // Lets the folder and its lock go.
    void Close();

    // A plain file of the folder, whole. Nothing when it is missing, not a
    // plain file, unreadable or larger than maxBytes.
    std::optional<std::string> Read(const std::string& name, std::size_t maxBytes) const;

private:
    int fd_ = -1;
    bool locked_ = false;
};

// The same lock, taken alone on an opened folder, for the swap. Returns 0 once
// held; otherwise the error number: EWOULDBLOCK when readers hold it and wait
// is false, EINTR when a signal ended the wait.
int LockFolderAlone(int folderFd, bool wait);

} // namespace tk
