#pragma once
// Where a page may lead. The pages are the operator's files beside the
// station: they may open other pages, pictures and styles of that folder like
// any browser would, and nothing else: no web address, no other machine, no
// file elsewhere, no folder listing, no pipe or device, and never the answer
// key under any name. The station's view, the bank tool's print and the
// content checker all ask this one rule, so that none can tell another story.
//
// The rule judges the very file the browser engine would open: the address's
// path is percent-decoded to raw bytes as the engine decodes it, whether or
// not they are valid UTF-8, and that name is looked up on the disk with its
// links followed. Nothing is ever opened to judge it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

enum class PageVerdict {
    Shown,        // a plain file inside the folder
    Missing,      // no such file, in a folder inside: the view shows its own error page
    Absent,       // no such file, nor the folder it would be in: nothing to identify
    OtherScheme,  // not a file: address (the web, mail, scripts, about: ...)
    OtherMachine, // file://host/...
    Outside,      // the file lies outside the folder, links followed
    Key,          // the answer key, under whatever name or link
    Folder,       // a folder, whose listing is no page
    NotPlain,     // a pipe, socket or device: opening one could hang the reader
    Unknown,      // the name cannot be identified: a link loop or into nothing, an encoded '/', too long
};

// Whether the view may show or read what the verdict is about.
inline bool Allowed(PageVerdict verdict)
{
    return verdict == PageVerdict::Shown || verdict == PageVerdict::Missing;
}

class PageRule {
public:
    // folder: the station's folder (a relative one counts from the current
    // directory, as it is now); its own key (TESTS/ANS.a) is always one
    // of the keys, moreKeys are others (a bank being built beside it).
    explicit PageRule(const std::string& folder, const std::vector<std::string>& moreKeys = {});

    // url: the address as the engine loads it ("file:///...%FF...").
    PageVerdict Judge(std::string_view url) const;
    bool Allows(std::string_view url) const { return Allowed(Judge(url)); }

    const std::string& Folder() const { return folder_; }

private:
    PageVerdict JudgePath(const std::string& path) const;
    bool IsKey(const std::string& path) const;

    std::string folder_;     // lexically clean, ending with '/'
    std::string realFolder_; // the same with links resolved; empty when there is no such folder
    std::vector<std::string> keys_;
};

// The local file a file: URL names, as the engine decodes it: the path with
// "." and ".." taken out, every %XX turned into its byte, doubled slashes
// merged. Nothing when the URL is not a file: one or names no local file (a
// host, an encoded '/' or NUL). `folder` tells whether it ends with '/'.
struct FilePath {
    std::string path;
    bool folder = false;
};
std::optional<FilePath> FileUrlPath(std::string_view url);

// "file://" and the path, each byte other than letters, digits, "-._~/" escaped.
std::string FileUrl(std::string_view path);

} // namespace station
