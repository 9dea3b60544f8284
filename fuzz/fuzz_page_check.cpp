// The input is a page of a station, read by the checker as the station's view
// would show it. Findings name lines of the page and are readable text;
// nothing crashes or hangs, however deep or odd the markup.
#include "Reference.h"

#include "tools/Charset.h"
#include "tools/PageCheck.h"

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A station with a few files for references to find.
    static const fuzzref::ScratchFolder scratch;
    static const fs::path station = [] {
        const fs::path root = scratch.Path() / "station";
        fs::create_directories(root / "res");
        fs::create_directories(root / "TESTS");
        for (const char* name : {"res/INSTR.htm", "res/plan.png", "TESTS/TEST1.htm", "TESTS/ANS.a", "TESTS/style.css"})
            std::ofstream(root / name) << "x";
        return root;
    }();

    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const auto kind = size % 2 ? contentcheck::PageKind::Question : contentcheck::PageKind::Study;
    const fs::path file = station / (kind == contentcheck::PageKind::Question ? "TESTS/TEST1.htm" : "res/INSTR.htm");
    const auto findings = contentcheck::InspectPage(page, file, kind, {station, {station / "TESTS" / "ANS.a"}});

    // Lines end with LF, CR LF or a lone CR.
    int lines = 1;
    for (std::size_t at = 0; at < page.size(); ++at)
        lines += page[at] == '\n' || (page[at] == '\r' && (at + 1 >= page.size() || page[at + 1] != '\n'));
    fuzzref::Expect(findings.size() <= 102, "findings beyond the cap");
    for (const auto& finding : findings) {
        fuzzref::Expect(finding.line >= 0 && finding.line <= lines, "finding line " + std::to_string(finding.line));
        fuzzref::Expect(!finding.text.empty() && charset::IsUtf8(finding.text), "finding text is not UTF-8");
    }
    return 0;
}
