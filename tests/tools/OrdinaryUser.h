#pragma once
// Root reads and writes every file, and the tests run as root: what an
// operator meets on a locked file or folder shows only in a process that has
// given root up. This runs a piece of a test in such a child.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace ordinaryuser {

// Lets others (the child) pass through `folder` and every folder above it.
inline void OpenPathTo(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    for (fs::path up = folder; up != up.root_path() && !up.empty(); up = up.parent_path())
        fs::permissions(up, fs::perms::others_exec, fs::perm_options::add);
}

// What `work` returned in a child running as user and group nobody (when the
// test runs as root; as itself otherwise), or a text saying why none came.
inline std::string Run(const std::function<std::string()>& work)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        const std::string text = work();
        ::_exit(::write(pipe[1], text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 4);
    }
    ::close(pipe[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child failed with status " + std::to_string(status);
    return text;
}

} // namespace ordinaryuser
