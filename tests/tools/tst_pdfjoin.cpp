// Joining the printed pages into one PDF: order, title, and a file that is
// whole or not there at all.
#include "tools/PdfJoin.h"

#include "StationFolder.h"

#include <QtTest>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace fs = std::filesystem;
using fixture::ReadFile;
using fixture::WriteFile;

namespace {

// A PDF with one page per word, each showing the word.
std::string MakePdf(const std::vector<std::string>& words)
{
    QPDF pdf;
    pdf.emptyPDF();
    auto font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    QPDFPageDocumentHelper pages(pdf);
    for (const auto& word : words) {
        auto content = QPDFObjectHandle::newStream(&pdf, "BT /F1 24 Tf 72 700 Td (" + word + ") Tj ET");
        auto page = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] >>"));
        page.replaceKey("/Contents", content);
        auto resources = QPDFObjectHandle::parse("<< /Font << >> >>");
        resources.getKey("/Font").replaceKey("/F1", font);
        page.replaceKey("/Resources", resources);
        pages.addPage(page, false);
    }
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    writer.write();
    auto buffer = writer.getBufferSharedPointer();
    return {reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize()};
}

QString Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "FAILED: " + process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList Entries(const fs::path& folder)
{
    QStringList names;
    for (const auto& entry : fs::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}

} // namespace

class PdfJoinTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QFAIL("pdftotext is missing: scripts/setup.sh installs poppler-utils");
    }

    void joinsTheDocumentsInOrder()
    {
        const fs::path out = fs::path(dir_.path().toStdString()) / "joined.pdf";
        const int pages = pdfjoin::JoinPdfs({MakePdf({"one"}), MakePdf({"two", "three"}), MakePdf({"four"})},
                                            out.string(), "Инструктаж — проверка");
        QCOMPARE(pages, 4);
        const QString text = Run("pdftotext", {"-layout", QString::fromStdString(out.string()), "-"});
        QCOMPARE(text.simplified(), QString("one two three four"));
        const QString info = Run("pdfinfo", {QString::fromStdString(out.string())});
        QVERIFY2(info.contains(QRegularExpression("^Title:\\s+Инструктаж — проверка$", QRegularExpression::MultilineOption)),
                 qPrintable(info));
        QVERIFY2(info.contains(QRegularExpression("^Pages:\\s+4$", QRegularExpression::MultilineOption)), qPrintable(info));
        QCOMPARE(Entries(out.parent_path()), QStringList{"joined.pdf"}); // no scratch file left beside it
    }

    void aBrokenPartWritesNothing()
    {
        const fs::path folder = fs::path(dir_.path().toStdString()) / "broken";
        const fs::path out = folder / "out.pdf";
        WriteFile(out, "the previous print");
        try {
            pdfjoin::JoinPdfs({MakePdf({"one"}), "%PDF-1.4 nothing more", MakePdf({"three"})}, out.string(), "t");
            QFAIL("joined a part that is no PDF");
        } catch (const pdfjoin::JoinError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).startsWith("часть 2 не читается как PDF"), error.what());
        }
        QCOMPARE(ReadFile(out), std::string("the previous print"));
        QCOMPARE(Entries(folder), QStringList{"out.pdf"});
    }

    void anOutputThatCannotBeWritten()
    {
        const fs::path out = fs::path(dir_.path().toStdString()) / "no-such-folder" / "out.pdf";
        try {
            pdfjoin::JoinPdfs({MakePdf({"one"})}, out.string(), "t");
            QFAIL("wrote into a folder that does not exist");
        } catch (const pdfjoin::JoinError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).startsWith(QString::fromStdString(out.string())
                                                                 + ": не могу создать файл рядом с ним"),
                     error.what());
        }
        QVERIFY(!fs::exists(out.parent_path()));
    }

private:
    QTemporaryDir dir_;
};

QTEST_APPLESS_MAIN(PdfJoinTest)
#include "tst_pdfjoin.moc"
