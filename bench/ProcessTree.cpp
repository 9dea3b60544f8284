#include "ProcessTree.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace bench {

namespace {

template <class T>
bool ParseNumber(std::string_view text, T& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> SplitSpaces(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n'))
            ++at;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != '\n')
            ++end;
        if (end > at)
            fields.push_back(text.substr(at, end - at));
        at = end;
    }
    return fields;
}

long long KiBOfLine(std::string_view text, std::string_view label)
{
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (line.substr(0, label.size()) == label) {
            const auto fields = SplitSpaces(line.substr(label.size()));
            long long value = 0;
            if (!fields.empty() && ParseNumber(fields[0], value))
                return value;
        }
        at = end + 1;
    }
    return 0;
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<ProcStat> ParseStat(std::string_view text)
{
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    ProcStat stat;
    const auto head = SplitSpaces(text.substr(0, open));
    if (head.size() != 1 || !ParseNumber(head[0], stat.pid))
        return std::nullopt;
    // After the name: state, ppid, pgrp, ... utime is the 12th, rss the 22nd.
    const auto f = SplitSpaces(text.substr(close + 1));
    if (f.size() < 22)
        return std::nullopt;
    if (!ParseNumber(f[1], stat.ppid) || !ParseNumber(f[2], stat.pgrp) || !ParseNumber(f[11], stat.utime) ||
        !ParseNumber(f[12], stat.stime) || !ParseNumber(f[19], stat.starttime) || !ParseNumber(f[21], stat.rssPages))
        return std::nullopt;
    return stat;
}

Memory ParseSmapsRollup(std::string_view text)
{
    return {KiBOfLine(text, "Pss:"), KiBOfLine(text, "Rss:")};
}

std::vector<int> Descendants(const std::vector<std::pair<int, int>>& parents, int root)
{
    std::vector<int> members;
    std::vector<int> frontier{root};
    // Breadth first; a pid is taken once even if the table were to hold a cycle.
    while (!frontier.empty()) {
        std::vector<int> next;
        for (const auto& [pid, ppid] : parents) {
            if (pid == root || std::find(members.begin(), members.end(), pid) != members.end())
                continue;
            if (std::find(frontier.begin(), frontier.end(), ppid) != frontier.end()) {
                members.push_back(pid);
                next.push_back(pid);
            }
        }
        frontier = std::move(next);
    }
    return members;
}

Memory TreeSampler::Sample()
{
    std::vector<ProcStat> all;
    if (DIR* proc = opendir("/proc")) {
        while (const dirent* entry = readdir(proc)) {
            int pid = 0;
            if (!ParseNumber(std::string_view(entry->d_name), pid))
                continue;
            if (const auto text = ReadWholeFile("/proc/" + std::string(entry->d_name) + "/stat"))
                if (const auto stat = ParseStat(*text))
                    all.push_back(*stat);
        }
        closedir(proc);
    }
    std::vector<std::pair<int, int>> parents;
    for (const ProcStat& s : all)
        parents.emplace_back(s.pid, s.ppid);
    members_ = Descendants(parents, root_);

    Memory total;
    for (const ProcStat& s : all) {
        if (std::find(members_.begin(), members_.end(), s.pid) == members_.end())
            continue;
        ticks_[{s.pid, s.starttime}] = s.utime + s.stime;
        if (const auto rollup = ReadWholeFile("/proc/" + std::to_string(s.pid) + "/smaps_rollup")) {
            const Memory m = ParseSmapsRollup(*rollup);
            total.pssKiB += m.pssKiB;
            total.rssKiB += m.rssKiB;
        }
    }
    return total;
}

unsigned long long ThreadTicks(int pid, std::string_view prefix)
{
    unsigned long long sum = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    if (DIR* dir = opendir(tasks.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string task = tasks + "/" + entry->d_name;
            const auto name = ReadWholeFile(task + "/comm");
            if (!name || name->compare(0, prefix.size(), prefix) != 0)
                continue;
            if (const auto text = ReadWholeFile(task + "/stat"))
                if (const auto stat = ParseStat(*text))
                    sum += stat->utime + stat->stime;
        }
        closedir(dir);
    }
    return sum;
}

unsigned long long TreeSampler::CpuTicks() const
{
    unsigned long long sum = 0;
    for (const auto& [process, ticks] : ticks_)
        sum += ticks;
    return sum;
}

pid_t Spawn(std::vector<std::string> command, bool ownGroup)
{
    command.front() = std::filesystem::absolute(command.front()).string();
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        if (ownGroup)
            setpgid(0, 0);
        const std::filesystem::path exe(command.front());
        if (exe.has_parent_path() && chdir(exe.parent_path().c_str()) != 0)
            _exit(126);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : command)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

} // namespace bench
