#pragma once
// A process and everything it started, read from /proc: memory now, and the
// processor time every member has used so far.
#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bench {

struct ProcStat {
    int pid = 0;
    int ppid = 0;
    int pgrp = 0;
    unsigned long long utime = 0; // clock ticks, all threads, living and ended
    unsigned long long stime = 0;
    unsigned long long starttime = 0; // with pid: one process, even when pids are reused
    long long rssPages = 0;
};

// One /proc/<pid>/stat line. The command name between the parentheses may
// hold spaces and parentheses itself, so the fields are counted from the last ')'.
std::optional<ProcStat> ParseStat(std::string_view text);

struct Memory {
    long long pssKiB = 0; // shared pages divided among their users: sums without double counting
    long long rssKiB = 0; // resident pages; shared libraries count once per process
};

// The Rss and Pss lines of /proc/<pid>/smaps_rollup.
Memory ParseSmapsRollup(std::string_view text);

// The members of the tree below root (root itself not included), given each
// process as (pid, parent pid).
std::vector<int> Descendants(const std::vector<std::pair<int, int>>& parents, int root);

// Samples the tree below one process. That process should be a child
// subreaper, so that helpers whose parent ends stay in the tree.
class TreeSampler {
public:
    explicit TreeSampler(int root) : root_(root) {}

    // Reads the tree now: returns its memory and remembers every member's CPU time.
    Memory Sample();
    // Processor time of every process seen in any sample so far, in clock ticks
    // (a process that ended counts with its last sampled value).
    unsigned long long CpuTicks() const;
    // The members found by the last sample.
    const std::vector<int>& Members() const { return members_; }
    // Every process seen so far.
    std::size_t ProcessesSeen() const { return ticks_.size(); }
    // Each one's last sampled utime+stime, by (pid, start time).
    const std::map<std::pair<int, unsigned long long>, unsigned long long>& TicksByProcess() const { return ticks_; }

private:
    int root_;
    std::vector<int> members_;
    std::map<std::pair<int, unsigned long long>, unsigned long long> ticks_; // (pid, start) -> utime+stime
};

std::optional<std::string> ReadWholeFile(const std::string& path);

// utime+stime of those threads of one process whose name begins with `prefix`.
unsigned long long ThreadTicks(int pid, std::string_view prefix);

// Starts the program from its own folder, as the station is run; its output
// goes to stderr so that stdout carries only table rows. With ownGroup it
// leads a process group of its own, which can then be ended as a whole.
pid_t Spawn(std::vector<std::string> command, bool ownGroup = false);

} // namespace bench
