#include "Pin.h"

#include <crypt.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace kiosk {

namespace {

// crypt_ra's result, freed with its buffer.
std::optional<std::string> Crypt(const std::string& phrase, const std::string& setting)
{
    void* data = nullptr;
    int size = 0;
    const char* hash = crypt_ra(phrase.c_str(), setting.c_str(), &data, &size);
    const std::unique_ptr<void, decltype(&std::free)> owned(data, &std::free);
    // A failure is NULL or a string starting with '*', never a valid hash.
    if (hash == nullptr || hash[0] == '*')
        return std::nullopt;
    return std::string(hash);
}

// The whole file into `text`, 0 or the error; a file far larger than a hash
// line is read only in part and so fails the check of its one line.
int ReadSmall(const std::string& path, std::string& text)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char buffer[1024];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < 4096)
        text.append(buffer, static_cast<std::size_t>(got));
    const int error = got < 0 ? errno : 0;
    ::close(fd);
    return error;
}

} // namespace

std::string PinFilePath()
{
    const char* path = std::getenv(PinFileVariable);
    return path != nullptr && *path != '\0' ? path : DefaultPinFile;
}

bool PinWellFormed(std::string_view pin)
{
    if (pin.size() < MinPinLength || pin.size() > MaxPinLength)
        return false;
    for (const char c : pin)
        if (c < '0' || c > '9')
            return false;
    return true;
}

StoredPin ReadPin(const std::string& path)
{
    StoredPin result;
    std::string text;
    const int error = ReadSmall(path, text);
    if (error != 0) {
        if (error == ENOENT || error == ENOTDIR) {
            result.reason = path + ": PIN оператора не задан, результат не удерживается. "
                                   "Включить удержание: sudo briefing-kiosk-pin";
            return result;
        }
        result.state = PinState::Unreadable;
        result.reason = path + ": файл PIN не читается (" + std::strerror(error) +
                        "), результат не удерживается. Задайте PIN заново: sudo briefing-kiosk-pin";
        return result;
    }
    std::string line = text.substr(0, text.find('\n'));
    // The whole file is the one line, and crypt takes it as its own setting,
    // giving a hash of the same method, salt and length: a cut-off line
    // would match no PIN and hold the station for good.
    const bool oneLine = text.size() == line.size() || text.size() == line.size() + 1;
    const std::optional<std::string> again =
        oneLine && line.size() > 3 && line[0] == '$' ? Crypt("", line) : std::nullopt;
    const std::string setting = line.substr(0, line.rfind('$') + 1);
    if (!again || again->size() != line.size() || again->compare(0, setting.size(), setting) != 0) {
        result.state = PinState::Corrupt;
        result.reason = path + ": файл PIN повреждён (нет хеша crypt), результат не удерживается. "
                               "Задайте PIN заново: sudo briefing-kiosk-pin";
        return result;
    }
    result.state = PinState::Set;
    result.hash = std::move(line);
    return result;
}

std::optional<std::string> HashPin(std::string_view pin)
{
    // No prefix: the library's preferred method, with a salt from the system's random source.
    const char* setting = crypt_gensalt_ra(nullptr, 0, nullptr, 0);
    if (setting == nullptr)
        return std::nullopt;
    const std::unique_ptr<char, decltype(&std::free)> owned(const_cast<char*>(setting), &std::free);
    return Crypt(std::string(pin), setting);
}

bool PinMatches(std::string_view pin, const std::string& hash)
{
    const std::optional<std::string> tried = Crypt(std::string(pin), hash);
    if (!tried || tried->size() != hash.size())
        return false;
    // Every byte compared, whatever the first difference.
    unsigned char difference = 0;
    for (std::size_t i = 0; i < hash.size(); ++i)
        difference |= static_cast<unsigned char>((*tried)[i] ^ hash[i]);
    return difference == 0;
}

} // namespace kiosk
