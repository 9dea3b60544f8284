#include "tools/BankImport.h"

#include "base/ContentFolders.h"
#include "testing/QuestionBank.h"
#include "testing/TestRunState.h"
#include "tools/ContentCheck.h"
#include "tools/PageCheck.h"
#include "tools/QuestionPage.h"
#include "tools/Text.h"

#include "toolkit/core/HeldFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <set>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace bank {
namespace {

// --- interruption: Ctrl+C while the new bank is written removes it ---

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

class InterruptGuard {
public:
    InterruptGuard()
    {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        for (std::size_t k = 0; k < std::size(Signals); ++k)
            ::sigaction(Signals[k], &action, &previous_[k]);
    }
    ~InterruptGuard()
    {
        for (std::size_t k = 0; k < std::size(Signals); ++k)
            ::sigaction(Signals[k], &previous_[k], nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    static constexpr int Signals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction previous_[std::size(Signals)] {};
};

// The swap itself is not interrupted halfway.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        ::sigprocmask(SIG_BLOCK, &all, &previous_);
    }
    ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

// --- writing ---

struct WriteFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Why(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return "нет прав на запись";
    case ENOSPC: return "на диске нет места";
    case EDQUOT: return "исчерпана дисковая квота";
    case EROFS: return "диск только для чтения";
    case EFBIG: return "файл больше, чем разрешено записывать";
    case ENOENT: return "папки нет";
    case ENOTDIR: return "это не папка";
    default: return std::string("ошибка записи: ") + std::strerror(error);
    }
}

// A line about a whole file or folder, told as every finding is.
std::string Told(const fs::path& file, std::string text, Severity severity = Severity::Fault)
{
    return contentcheck::FormatFinding({0, std::move(text), severity, file.string()});
}

[[noreturn]] void Fail(const fs::path& path, int error)
{
    throw WriteFailure(Told(path, Why(error)));
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        Fail(path, errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR && !interrupted)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            ::close(fd);
            Fail(path, error);
        }
        done += static_cast<std::size_t>(written);
    }
    if (::close(fd) != 0)
        Fail(path, errno);
}

void ThrowIfInterrupted()
{
    if (interrupted)
        throw WriteFailure("прервано: ничего не записано");
}

// Files of the old bank folder that are not part of the bank (pictures,
// style sheets) go over to the new one: hard links where the disk allows.
void CarryOver(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    const auto status = fs::symlink_status(from, ec);
    if (fs::is_symlink(status)) {
        fs::copy_symlink(from, to, ec);
    } else if (fs::is_directory(status)) {
        fs::create_directory(to, from, ec);
        for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
            ThrowIfInterrupted();
            CarryOver(it->path(), to / it->path().filename());
        }
    } else if (fs::is_regular_file(status)) {
        fs::create_hard_link(from, to, ec);
        if (ec)
            fs::copy_file(from, to, ec);
    } else {
        return; // pipes and devices stay behind
    }
    if (ec)
        Fail(to, ec.value());
}

// A folder the import made, removed again unless kept: the hidden folder
// the new bank is built in, with all it holds; a new station's folder only
// while it is still empty.
class MadeFolder {
public:
    MadeFolder(fs::path path, bool whole) : path_(std::move(path)), whole_(whole) {}
    ~MadeFolder()
    {
        std::error_code ec;
        if (!path_.empty())
            whole_ ? fs::remove_all(path_, ec) : fs::remove(path_, ec);
    }
    MadeFolder(const MadeFolder&) = delete;
    MadeFolder& operator=(const MadeFolder&) = delete;

    const fs::path& Path() const { return path_; }
    // Swapped in, or the station's now (after the swap the bank's hidden
    // name holds the old bank, which goes all the same).
    void Keep() { path_.clear(); }

private:
    fs::path path_;
    bool whole_;
};

MadeFolder NewBankFolder(const fs::path& station)
{
    std::string pattern = (station / (std::string(NewBankPrefix) + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw WriteFailure(Told(station, "в папку нельзя записать новый банк — " + Why(errno)));
    ::chmod(pattern.c_str(), 0755); // as a folder made by hand, not private
    return MadeFolder(pattern, true);
}

MadeFolder NewStationFolder(const fs::path& folder)
{
    if (!folder.empty() && ::mkdir(folder.c_str(), 0755) != 0)
        Fail(folder, errno);
    return MadeFolder(folder, false);
}

// A folder opened read-only, for its lock or to sync it; closing it lets the lock go.
class OpenedFolder {
public:
    explicit OpenedFolder(const fs::path& path) : fd_(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~OpenedFolder()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenedFolder(const OpenedFolder&) = delete;
    OpenedFolder& operator=(const OpenedFolder&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

void Sync(const fs::path& folder)
{
    const OpenedFolder opened(folder);
    if (opened.Fd() < 0 || ::syncfs(opened.Fd()) != 0)
        Fail(folder, errno);
}

// Puts the new bank in the old one's place. Returns where the old one went
// (to be removed), or an empty path when there was none.
fs::path SwapIn(const fs::path& fresh, const fs::path& tests, bool oldExists)
{
    const SignalsHeld held;
    if (!oldExists) {
        if (::rename(fresh.c_str(), tests.c_str()) != 0)
            Fail(tests, errno);
        return {};
    }
    // One atomic step where the file system has it: the station never sees
    // a moment without a bank.
    if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, tests.c_str(), RENAME_EXCHANGE) == 0)
        return fresh;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        Fail(tests, errno);
    // Two renames; the old bank comes back if the second fails.
    std::string aside = (tests.parent_path() / ".TESTS-old-XXXXXX").string();
    if (!::mkdtemp(aside.data()))
        Fail(tests.parent_path(), errno);
    if (::rename(tests.c_str(), aside.c_str()) != 0) {
        const int error = errno;
        ::rmdir(aside.c_str());
        Fail(tests, error);
    }
    if (::rename(fresh.c_str(), tests.c_str()) != 0) {
        const int error = errno;
        ::rename(aside.c_str(), tests.c_str());
        Fail(tests, error);
    }
    return aside;
}

// The station holds its bank folder for a test run (see HeldFolder.h); the
// swap takes that folder alone, so it waits for the run to end. Ctrl+C ends
// the wait with nothing changed.
void WaitForRuns(const OpenedFolder& bank, const fs::path& tests, const std::function<void(const std::string&)>& waiting)
{
    if (bank.Fd() < 0)
        Fail(tests, errno);
    int result = tk::LockFolderAlone(bank.Fd(), false);
    if (result == EWOULDBLOCK) {
        if (waiting)
            waiting(Told(tests, "на станции идёт тест — банк будет заменён, когда тест закончится; Ctrl+C — "
                                "отказаться, ничего не изменится"));
        do {
            ThrowIfInterrupted();
            result = tk::LockFolderAlone(bank.Fd(), true);
        } while (result == EINTR);
    }
    ThrowIfInterrupted();
    if (result != 0)
        Fail(tests, result);
}

bool HasHtml(const Question& question)
{
    const auto html = [](const Text& text) { return text.html; };
    return html(question.text) || std::any_of(question.choices.begin(), question.choices.end(), html);
}

std::string Count(std::size_t n) { return std::to_string(n); }

// A station's folder holds the station's program, its study pages or its bank.
bool IsStation(const fs::path& folder)
{
    std::error_code ec;
    for (const char* name : {StationProgram, station::StudyFolder, station::BankFolder})
        if (fs::exists(fs::symlink_status(folder / name, ec)))
            return true;
    return false;
}

// A missing file is named where the station will look for it
// ("TESTS/plan.png"), the page being built in the new bank's folder.
std::string WhereStationLooks(const fs::path& missing, const fs::path& fresh)
{
    if (missing.empty())
        return {};
    fs::path where = missing.lexically_relative(fs::weakly_canonical(fresh.parent_path()));
    if (auto first = where.begin(); first != where.end() && *first == fresh.filename())
        where = fs::path(station::BankFolder) / where.lexically_relative(*first);
    return where.string();
}

struct OldBank {
    bool folder = false;                 // TESTS is there
    std::set<std::string> pages;         // what the station counts as its pages
    bool key = false;
    bool Holds() const { return !pages.empty() || key; }
};

// One import, step by step; each step adds what it finds to the outcome.
class Importer {
public:
    explicit Importer(const ImportRequest& request) : request_(request), tests_(request.folder / station::BankFolder) {}

    ImportOutcome Run()
    {
        ReadQuestions();
        // Two imports at once into one folder would each build from the same
        // old bank and swap in turn: the second is refused. (The lock is on the
        // station's folder, which no run holds.)
        const OpenedFolder station(request_.folder);
        if (station.Fd() >= 0 && ::flock(station.Fd(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            Error(request_.folder, "в эту папку станции уже идёт другой импорт; дождитесь его конца и повторите");
            return std::move(outcome_);
        }
        CheckFolder();
        if (outcome_.errors.empty() && WriteBank())
            Summarise();
        return std::move(outcome_);
    }

private:
    void Error(const fs::path& file, std::string text) { outcome_.errors.push_back(Told(file, std::move(text))); }

    std::string InSource(Finding finding) const
    {
        finding.file = request_.source.string();
        return contentcheck::FormatFinding(finding);
    }

    void ReadQuestions()
    {
        std::vector<Finding> problems;
        source_ = ReadSource(request_.source, problems);
        if (source_) {
            format_ = request_.format.value_or(DetectFormat(request_.source, source_->text));
            parsed_ = Parse(format_, source_->text);
            problems.insert(problems.end(), parsed_.problems.begin(), parsed_.problems.end());
            if (parsed_.questions.size() < static_cast<std::size_t>(testrun::QuestionsPerRun))
                problems.push_back({0, "годных вопросов " + Count(parsed_.questions.size())
                                           + ", а станции нужно не меньше пяти: тест задаёт пять разных вопросов"});
        }
        for (const auto& problem : problems)
            outcome_.errors.push_back(InSource(problem));
        for (const auto& note : parsed_.notes)
            outcome_.notes.push_back(InSource(note));
    }

    // Whether the bank may go into the station's folder, and what is there now.
    void CheckFolder()
    {
        std::error_code ec;
        const auto status = fs::status(request_.folder, ec);
        if (!fs::exists(status))
            CheckFolderToMake();
        else if (!fs::is_directory(status))
            Error(request_.folder, "это файл, а не папка станции");
        else if (!request_.newStation && !IsStation(request_.folder))
            Error(request_.folder, std::string("это не папка станции: в ней нет ни программы ") + StationProgram
                                       + ", ни папки " + station::StudyFolder + " (страница инструктажа), ни "
                                       + station::BankFolder + " (банк вопросов); укажите папку станции, а чтобы "
                                                               "сделать новую станцию здесь, добавьте --new-station");
        else if (fs::exists(fs::symlink_status(tests_, ec)))
            CheckOldBank();
    }

    // A folder not there yet is made for a new station only, inside one that is.
    void CheckFolderToMake()
    {
        std::error_code ec;
        fs::path absolute = fs::absolute(request_.folder, ec);
        if (!absolute.has_filename()) // "new/"
            absolute = absolute.parent_path();
        const fs::path parent = absolute.parent_path();
        if (!request_.newStation)
            Error(request_.folder, "папки нет: укажите папку станции (ту, где лежат res и TESTS); новую станцию "
                                   "создаёт ключ --new-station");
        else if (!fs::is_directory(parent, ec))
            Error(request_.folder, "папки «" + parent.string() + "» нет: новая папка станции создаётся только в "
                                                                 "существующей");
        else
            makeFolder_ = true;
    }

    void CheckOldBank()
    {
        std::error_code ec;
        const auto status = fs::symlink_status(tests_, ec);
        if (fs::is_symlink(status))
            return Error(tests_, "это символическая ссылка на «" + fs::read_symlink(tests_, ec).string()
                                     + "», а не папка: импорт заменяет папку банка целиком и ссылку не заменит; "
                                       "сделайте на её месте папку " + station::BankFolder);
        if (!fs::is_directory(status))
            return Error(tests_, "это не папка: уберите этот файл, и импорт создаст папку банка");
        old_.folder = true;
        for (const auto& name : testrun::ListPages((request_.folder / station::PageSearchPattern).string()))
            old_.pages.insert(name);
        old_.key = fs::exists(fs::symlink_status(request_.folder / station::KeyFile, ec));
        if (old_.Holds() && !request_.replace)
            Error(tests_, "здесь уже есть банк вопросов (страниц: " + Count(old_.pages.size())
                              + (old_.key ? std::string(", есть ключ ") + station::KeyName
                                          : std::string(", ключа ") + station::KeyName + " нет")
                              + "); чтобы заменить его целиком, добавьте --replace");
        else if (::access(tests_.c_str(), W_OK) != 0)
            Error(tests_, "в папку банка нельзя писать — старый банк не убрать: " + Why(errno));
    }

    // The new bank, beside the old one; in a new station's folder, made now
    // and gone again unless the bank is written. False when nothing was.
    bool WriteBank()
    {
        try {
            const InterruptGuard guard;
            MadeFolder made = NewStationFolder(makeFolder_ ? request_.folder : fs::path());
            MadeFolder fresh = NewBankFolder(request_.folder);
            const std::vector<std::string> carried = CarryOldFiles(fresh.Path());
            if (!WritePages(fresh.Path()))
                return false;
            WriteFile(fresh.Path() / station::KeyName, AnswerKeyText(parsed_.questions));
            ThrowIfInterrupted();
            Sync(fresh.Path());
            fs::path previous; // where the old bank went, to be removed
            {
                const OpenedFolder bank(old_.folder ? tests_ : fs::path());
                if (old_.folder)
                    WaitForRuns(bank, tests_, request_.waiting);
                previous = SwapIn(fresh.Path(), tests_, old_.folder);
            }
            fresh.Keep();
            made.Keep();
            Tidy(previous, carried);
            return true;
        } catch (const WriteFailure& failure) {
            outcome_.errors.push_back(failure.what());
            return false;
        }
    }

    // What the old bank folder holds besides pages and key stays (pictures,
    // style sheets): their names.
    std::vector<std::string> CarryOldFiles(const fs::path& fresh)
    {
        std::vector<std::string> carried;
        if (!old_.folder)
            return carried;
        std::error_code ec;
        for (fs::directory_iterator it(tests_, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (old_.pages.count(name) || tools::LowerAscii(name) == tools::LowerAscii(station::KeyName))
                continue;
            CarryOver(it->path(), fresh / name);
            carried.push_back(name);
        }
        if (ec)
            Fail(tests_, ec.value());
        return carried;
    }

    // The pages; false when the operator's own HTML refers to files the
    // station will not find.
    bool WritePages(const fs::path& fresh)
    {
        // The new key and the old one (until the swap) are both keys to the station.
        const contentcheck::PagePlaces places{request_.folder, {fresh / station::KeyName, request_.folder / station::KeyFile},
                                              [&](const fs::path& missing) { return WhereStationLooks(missing, fresh); }};
        const std::string sourceFile = request_.source.filename().string();
        for (std::size_t k = 0; k < parsed_.questions.size(); ++k) {
            ThrowIfInterrupted();
            const Question& question = parsed_.questions[k];
            const fs::path page = fresh / station::PageName(static_cast<std::int64_t>(k + 1));
            const std::string bytes = QuestionPage(question, sourceFile + ":" + std::to_string(question.line));
            WriteFile(page, bytes);
            if (!HasHtml(question))
                continue;
            for (const auto& finding : contentcheck::InspectPage(bytes, page, contentcheck::PageKind::Question, places))
                if (finding.severity == Severity::Fault)
                    outcome_.errors.push_back(InSource({question.line, "в HTML вопроса " + finding.text}));
        }
        return outcome_.errors.empty();
    }

    // The old bank goes; what was carried over from it is told.
    void Tidy(const fs::path& previous, const std::vector<std::string>& carried)
    {
        std::error_code ec;
        if (!previous.empty())
            fs::remove_all(previous, ec);
        if (ec)
            outcome_.notes.push_back(Told(previous, "прежний банк не удалось удалить (" + Why(ec.value())
                                                        + "); удалите эту папку сами"));
        std::string names;
        for (std::size_t k = 0; k < carried.size() && k < 5; ++k)
            names += (k ? ", " : "") + carried[k];
        if (!carried.empty())
            outcome_.notes.push_back(Told(tests_, "файлы прежней папки, которые не страницы вопросов и не ключ, "
                                                  "оставлены на месте (" + Count(carried.size()) + ": " + names
                                                  + (carried.size() > 5 ? ", …" : "") + ")", Severity::Info));
    }

    // What was written, and what the checker and the print would tell about
    // the station now.
    void Summarise()
    {
        const std::size_t count = parsed_.questions.size();
        outcome_.written = true;
        outcome_.questions = static_cast<int>(count);
        outcome_.summary = "Готово: вопросов " + Count(count) + " из «" + request_.source.string() + "» ("
                           + FormatName(format_) + ", " + source_->encoding + ") записаны в " + tests_.string() + ": "
                           + station::PageName(1) + " … " + station::PageName(static_cast<std::int64_t>(count)) + " и "
                           + station::KeyName
                           + (old_.Holds() ? "; прежний банк (страниц: " + Count(old_.pages.size()) + ") заменён целиком."
                                           : ".");
        std::error_code ec;
        if (!fs::exists(request_.folder / station::StudyPage, ec))
            outcome_.notes.push_back(Told(request_.folder / station::StudyPage,
                                          "страницы инструктажа нет — импорт её не создаёт; без неё окно инструктажа "
                                          "покажет ошибку вместо материала", Severity::Info));
        std::vector<int> answers;
        for (const auto& question : parsed_.questions)
            answers.push_back(question.right);
        for (auto finding : contentcheck::BankNotes(answers)) {
            finding.file = (request_.folder / finding.file).string();
            outcome_.notes.push_back(contentcheck::FormatFinding(finding));
        }
    }

    const ImportRequest& request_;
    const fs::path tests_;
    ImportOutcome outcome_;
    std::optional<SourceText> source_;
    Format format_ = Format::Aiken;
    ParsedQuestions parsed_;
    OldBank old_;
    bool makeFolder_ = false;
};

} // namespace

ImportOutcome Import(const ImportRequest& request) { return Importer(request).Run(); }

} // namespace bank
