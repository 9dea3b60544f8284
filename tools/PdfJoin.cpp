#include "tools/PdfJoin.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <sys/stat.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace pdfjoin {
namespace {

// A file beside `out` that becomes `out` only when complete.
class PendingFile {
public:
    explicit PendingFile(const std::string& out) : out_(out)
    {
        const auto slash = out.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : out.substr(0, slash == 0 ? 1 : slash);
        path_ = folder + "/.pdf-XXXXXX";
        const int fd = ::mkstemp(path_.data());
        if (fd < 0)
            throw JoinError(out + ": не могу создать файл рядом с ним: " + std::strerror(errno));
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            ::close(fd);
            ::unlink(path_.c_str());
            throw JoinError(out + ": " + std::strerror(errno));
        }
    }
    ~PendingFile()
    {
        if (file_)
            ::fclose(file_);
        if (!done_)
            ::unlink(path_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    FILE* File() const { return file_; }

    void Commit()
    {
        const bool flushed = ::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
        const int error = errno;
        const bool closed = ::fclose(file_) == 0;
        file_ = nullptr;
        if (!flushed || !closed)
            throw JoinError(out_ + ": не могу записать: " + std::strerror(flushed ? errno : error));
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(path_.c_str(), 0666 & ~mask); // as any file the operator makes
        if (::rename(path_.c_str(), out_.c_str()) != 0)
            throw JoinError(out_ + ": не могу записать: " + std::strerror(errno));
        done_ = true;
    }

private:
    std::string out_;
    std::string path_;
    FILE* file_ = nullptr;
    bool done_ = false;
};

} // namespace

int JoinPdfs(const std::vector<std::string>& documents, const std::string& out, const std::string& title)
{
    QPDF joined;
    joined.setSuppressWarnings(true);
    joined.emptyPDF();
    QPDFPageDocumentHelper target(joined);
    // The sources must live until the joined file is written.
    std::vector<std::unique_ptr<QPDF>> sources;
    int pages = 0;
    for (std::size_t k = 0; k < documents.size(); ++k) {
        auto source = std::make_unique<QPDF>();
        source->setSuppressWarnings(true);
        const std::string name = "document " + std::to_string(k + 1);
        try {
            source->processMemoryFile(name.c_str(), documents[k].data(), documents[k].size());
            for (auto& page : QPDFPageDocumentHelper(*source).getAllPages()) {
                target.addPage(page, false);
                ++pages;
            }
        } catch (const std::exception& error) {
            throw JoinError("часть " + std::to_string(k + 1) + " не читается как PDF: " + error.what());
        }
        sources.push_back(std::move(source));
    }
    auto info = joined.makeIndirectObject(QPDFObjectHandle::parse("<< >>"));
    info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
    joined.getTrailer().replaceKey("/Info", info);

    PendingFile file(out);
    try {
        QPDFWriter writer(joined, out.c_str(), file.File(), false);
        writer.write();
    } catch (const std::exception& error) {
        throw JoinError(out + ": не могу записать PDF: " + error.what());
    }
    file.Commit();
    return pages;
}

} // namespace pdfjoin
