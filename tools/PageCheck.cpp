#include "tools/PageCheck.h"

#include "tools/Charset.h"
#include "tools/KeyLine.h"

#include "base/PageRule.h"

#include <gumbo.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace contentcheck {
namespace {

// Pages larger than this are not read for inspection (the station shows
// them all the same; the e2e tests use one of 20 MB).
constexpr std::uintmax_t MaxInspectedBytes = 32u << 20;

// The parser spends time that grows with the square of the nesting depth;
// no real page comes near this, and a page that does is not inspected.
constexpr int MaxInspectedDepth = 4096;

// Findings of one page beyond these are summed up in one line.
constexpr std::size_t MaxFindingsPerPage = 100;

enum class Kind { Picture, Style, Frame, Link, Script, Media, Embed };

struct KindText {
    const char* noun;
    const char* effect; // what the person at the station sees instead
};

KindText TextOf(Kind kind)
{
    switch (kind) {
    case Kind::Picture: return {"картинка", "на её месте будет пустое место"};
    case Kind::Style: return {"стиль", "страница будет без этого оформления"};
    case Kind::Frame: return {"рамка", "она останется пустой"};
    case Kind::Link: return {"ссылка", "перейти по ней не получится"};
    case Kind::Script: return {"скрипт", "он не выполнится"};
    case Kind::Media: return {"видео или звук", "он не проиграется"};
    case Kind::Embed: return {"вставка", "на её месте будет пустое место"};
    }
    return {"", ""};
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

std::string_view StripAscii(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r\n\f");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n\f") - first + 1);
}

// Lines end with LF, CR LF or a lone CR, as the parser counts them.
int LineOfOffset(std::string_view bytes, std::size_t offset)
{
    int line = 1;
    for (std::size_t at = 0; at < offset; ++at)
        if (bytes[at] == '\n' || (bytes[at] == '\r' && (at + 1 >= bytes.size() || bytes[at + 1] != '\n')))
            ++line;
    return line;
}

// The scheme of a URL ("http"), lower case; empty for a relative reference.
std::string SchemeOf(std::string_view url)
{
    if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0])))
        return {};
    for (std::size_t at = 1; at < url.size(); ++at) {
        const char c = url[at];
        if (c == ':')
            return Lower(url.substr(0, at));
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return {};
    }
    return {};
}

bool IsWebScheme(const std::string& scheme)
{
    return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "ws" || scheme == "wss";
}

std::vector<std::string> KeyNames(const PagePlaces& places)
{
    std::vector<std::string> names;
    for (const auto& key : places.keys)
        names.push_back(fs::absolute(key).string());
    return names;
}

// The charset a page declares in a <meta>, lower case; empty when none.
std::string DeclaredCharset(const GumboElement& meta)
{
    if (const GumboAttribute* charset = gumbo_get_attribute(&meta.attributes, "charset"))
        return Lower(StripAscii(charset->value));
    const GumboAttribute* equiv = gumbo_get_attribute(&meta.attributes, "http-equiv");
    const GumboAttribute* content = gumbo_get_attribute(&meta.attributes, "content");
    if (!equiv || !content || Lower(StripAscii(equiv->value)) != "content-type")
        return {};
    const std::string value = Lower(content->value);
    const auto at = value.find("charset=");
    if (at == std::string::npos)
        return {};
    std::string name = value.substr(at + 8);
    name = std::string(StripAscii(name.substr(0, name.find(';'))));
    if (!name.empty() && (name.front() == '"' || name.front() == '\''))
        name = name.substr(1, name.find(name.front(), 1) == std::string::npos ? std::string::npos
                                                                              : name.find(name.front(), 1) - 1);
    return name;
}

// An upper bound of how deep the page's elements nest, from its tags alone:
// start tags of elements that need an end tag, less end tags. Elements that
// never nest by themselves (void ones, and those whose end tag may be left
// out) do not count.
int NestingBound(std::string_view bytes)
{
    static const std::set<std::string> notNesting = {
        "area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source", "track", "wbr",
        "p", "li", "dt", "dd", "tr", "td", "th", "option", "optgroup", "thead", "tbody", "tfoot", "colgroup",
        "rb", "rt", "rp", "html", "head", "body"};
    int depth = 0;
    int deepest = 0;
    for (std::size_t at = bytes.find('<'); at != std::string_view::npos; at = bytes.find('<', at + 1)) {
        const bool end = at + 1 < bytes.size() && bytes[at + 1] == '/';
        std::size_t name = at + (end ? 2 : 1);
        std::size_t stop = name;
        while (stop < bytes.size() && std::isalnum(static_cast<unsigned char>(bytes[stop])))
            ++stop;
        if (stop == name || notNesting.count(Lower(bytes.substr(name, std::min<std::size_t>(stop - name, 16)))))
            continue;
        depth = end ? std::max(0, depth - 1) : depth + 1;
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

bool IsUtf8Name(const std::string& name) { return name == "utf-8" || name == "utf8" || name == "unicode-1-1-utf-8"; }

class Parsed {
public:
    explicit Parsed(std::string_view text)
    {
        GumboOptions options = kGumboDefaultOptions;
        options.max_errors = 0; // the parse errors are of no use here
        options_ = options;
        output_ = gumbo_parse_with_options(&options_, text.data(), text.size());
    }
    ~Parsed() { gumbo_destroy_output(&options_, output_); }
    Parsed(const Parsed&) = delete;
    Parsed& operator=(const Parsed&) = delete;

    // Every element, in document order; `enter` returns false to skip what is inside.
    template <class Visit>
    void Walk(Visit enter) const
    {
        std::vector<const GumboNode*> stack{output_->root};
        while (!stack.empty()) {
            const GumboNode* node = stack.back();
            stack.pop_back();
            if (!enter(*node) || node->type != GUMBO_NODE_ELEMENT)
                continue;
            const GumboVector& children = node->v.element.children;
            for (unsigned k = children.length; k-- > 0;)
                stack.push_back(static_cast<const GumboNode*>(children.data[k]));
        }
    }

private:
    GumboOptions options_{};
    GumboOutput* output_ = nullptr;
};

class Inspector {
public:
    Inspector(std::string_view bytes, const fs::path& page, PageKind kind, const PagePlaces& places)
        : bytes_(bytes), page_(page), kind_(kind), rule_(fs::absolute(places.station).string(), KeyNames(places)),
          pageFolderUrl_(station::FileUrl(fs::absolute(page).parent_path().string()) + "/")
    {
    }

    std::vector<PageFinding> Run()
    {
        const bool bom = bytes_.substr(0, 3) == charset::Utf8Bom;
        if (bytes_.substr(0, 2) == "\xFF\xFE" || bytes_.substr(0, 2) == "\xFE\xFF")
            return {}; // UTF-16 with its mark: browsers read it, the parser does not
        if (NestingBound(bytes_) > MaxInspectedDepth) {
            Add(Severity::Info, 0, "элементы страницы вложены друг в друга глубже " + std::to_string(MaxInspectedDepth)
                                       + " уровней: она не проверялась");
            return std::move(findings_);
        }
        std::string declared;
        {
            const Parsed raw(bytes_);
            raw.Walk([&](const GumboNode& node) {
                if (node.type == GUMBO_NODE_ELEMENT && node.v.element.tag == GUMBO_TAG_META && declared.empty())
                    declared = DeclaredCharset(node.v.element);
                return true;
            });
        }
        const std::string* text = CheckLetters(bom, declared);
        const Parsed parsed(text ? std::string_view(*text) : bytes_);
        parsed.Walk([&](const GumboNode& node) { return Visit(node); });
        if (kind_ == PageKind::Question && !ShowsThreeChoices())
            Add(Severity::Info, 0, "на странице не видно трёх вариантов ответа с номерами «1.», «2.», «3.» — а человек "
                                   "выбирает ответ по номеру под страницей");
        std::stable_sort(findings_.begin(), findings_.end(),
                         [](const PageFinding& a, const PageFinding& b) { return a.line < b.line; });
        if (findings_.size() > MaxFindingsPerPage) {
            const auto more = findings_.size() - MaxFindingsPerPage;
            findings_.resize(MaxFindingsPerPage);
            Add(Severity::Info, 0, "на странице ещё " + std::to_string(more) + " таких находок, они не показаны");
        }
        return std::move(findings_);
    }

private:
    void Add(Severity severity, int line, std::string text) { findings_.push_back({severity, line, std::move(text), {}}); }

    // Whether the letters will show as written; returns the page as UTF-8
    // when it is in another declared charset, for the links' sake.
    const std::string* CheckLetters(bool bom, const std::string& declared)
    {
        constexpr const char* Garbled = " — станция покажет вместо букв кракозябры";
        const std::size_t invalid = charset::FirstInvalidUtf8(bytes_);
        if (bom)
            return nullptr; // the mark rules over any declaration
        if (declared.empty()) {
            if (invalid != std::string_view::npos)
                Add(Severity::Fault, LineOfOffset(bytes_, invalid),
                    std::string("кодировка страницы не объявлена, а текст не в UTF-8 (похоже, windows-1251)") + Garbled
                        + "; объявите её в <head>: <meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=windows-1251\">");
            return nullptr;
        }
        if (IsUtf8Name(declared)) {
            if (invalid != std::string_view::npos)
                Add(Severity::Fault, LineOfOffset(bytes_, invalid),
                    std::string("объявлена кодировка UTF-8, а текст не в UTF-8 (похоже, windows-1251)") + Garbled);
            return nullptr;
        }
        if (charset::IsAscii(bytes_))
            return nullptr;
        if (invalid == std::string_view::npos) {
            const auto firstLetter = std::find_if(bytes_.begin(), bytes_.end(),
                                                  [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
            Add(Severity::Fault, LineOfOffset(bytes_, static_cast<std::size_t>(firstLetter - bytes_.begin())),
                "объявлена кодировка " + Shown(declared) + ", а текст в UTF-8" + Garbled);
            return nullptr;
        }
        auto converted = charset::ToUtf8(bytes_, declared.c_str());
        if (!converted)
            return nullptr;
        converted_ = std::move(*converted);
        return &converted_;
    }

    bool Visit(const GumboNode& node)
    {
        if (node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_CDATA) {
            texts_.emplace_back(node.v.text.text);
            return true;
        }
        if (node.type != GUMBO_NODE_ELEMENT)
            return true;
        const GumboElement& element = node.v.element;
        switch (element.tag) {
        case GUMBO_TAG_HEAD:
            VisitHead(node);
            return false;
        case GUMBO_TAG_SCRIPT:
            Reference(element, "src", Kind::Script);
            return false;
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_NOSCRIPT:
        case GUMBO_TAG_TEMPLATE:
        case GUMBO_TAG_TITLE:
            return false;
        case GUMBO_TAG_IMG: Reference(element, "src", Kind::Picture); break;
        case GUMBO_TAG_INPUT:
            if (const auto* type = gumbo_get_attribute(&element.attributes, "type"); type && Lower(type->value) == "image")
                Reference(element, "src", Kind::Picture);
            break;
        case GUMBO_TAG_BODY:
        case GUMBO_TAG_TABLE:
        case GUMBO_TAG_TD:
        case GUMBO_TAG_TH: Reference(element, "background", Kind::Picture); break;
        case GUMBO_TAG_LINK: VisitLink(element); break;
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_FRAME: Reference(element, "src", Kind::Frame); break;
        case GUMBO_TAG_A:
        case GUMBO_TAG_AREA: Reference(element, "href", Kind::Link); break;
        case GUMBO_TAG_EMBED: Reference(element, "src", Kind::Embed); break;
        case GUMBO_TAG_OBJECT: Reference(element, "data", Kind::Embed); break;
        case GUMBO_TAG_VIDEO:
            Reference(element, "poster", Kind::Picture);
            Reference(element, "src", Kind::Media);
            break;
        case GUMBO_TAG_AUDIO:
        case GUMBO_TAG_SOURCE:
        case GUMBO_TAG_TRACK: Reference(element, "src", Kind::Media); break;
        case GUMBO_TAG_OL: CountListItems(element); break;
        default: break;
        }
        return true;
    }

    // What the head refers to; its text is no part of the page.
    void VisitHead(const GumboNode& head)
    {
        const GumboVector& children = head.v.element.children;
        for (unsigned k = 0; k < children.length; ++k) {
            const auto* child = static_cast<const GumboNode*>(children.data[k]);
            if (child->type != GUMBO_NODE_ELEMENT)
                continue;
            const GumboElement& element = child->v.element;
            if (element.tag == GUMBO_TAG_BASE)
                TakeBase(element);
            else if (element.tag == GUMBO_TAG_LINK)
                VisitLink(element);
            else if (element.tag == GUMBO_TAG_SCRIPT)
                Reference(element, "src", Kind::Script);
        }
    }

    void VisitLink(const GumboElement& link)
    {
        const auto* rel = gumbo_get_attribute(&link.attributes, "rel");
        if (rel && Lower(rel->value).find("stylesheet") != std::string::npos)
            Reference(link, "href", Kind::Style);
    }

    void TakeBase(const GumboElement& base)
    {
        const auto* href = gumbo_get_attribute(&base.attributes, "href");
        if (!href)
            return;
        const std::string url(StripAscii(href->value));
        baseUrl_ = url;
    }

    void CountListItems(const GumboElement& list)
    {
        int items = 0;
        for (unsigned k = 0; k < list.children.length; ++k) {
            const auto* child = static_cast<const GumboNode*>(list.children.data[k]);
            if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == GUMBO_TAG_LI)
                ++items;
        }
        numberedList_ = numberedList_ || items >= 3;
    }

    void Reference(const GumboElement& element, const char* attribute, Kind kind)
    {
        const GumboAttribute* found = gumbo_get_attribute(&element.attributes, attribute);
        if (!found)
            return;
        const std::string url(StripAscii(found->value));
        if (url.empty() || url.front() == '#')
            return; // this very page
        const int line = static_cast<int>(found->value_start.line);
        const KindText said = TextOf(kind);
        const std::string head = std::string(said.noun) + " «" + Shown(url, 80) + "»";
        const auto fault = [&](const std::string& why) {
            Add(Severity::Fault, line, head + why + " — " + said.effect);
        };

        std::string scheme = SchemeOf(url);
        std::string target = url;
        if (scheme.empty() && !baseUrl_.empty() && url.rfind("//", 0) != 0 && url.front() != '/') {
            // A <base> moves every relative reference.
            scheme = SchemeOf(baseUrl_);
            target = baseUrl_.substr(0, baseUrl_.rfind('/') + 1) + url;
        }
        if (scheme.size() == 1)
            return fault(": это путь на диске Windows, а на станции такого диска нет; нужна ссылка относительно страницы");
        if (scheme == "data" || scheme == "javascript" || scheme == "about" || scheme == "blob")
            return;
        if (IsWebScheme(scheme) || target.rfind("//", 0) == 0 || target.rfind("\\\\", 0) == 0)
            return fault(" ведёт в интернет, а у станции нет сети");
        if (!scheme.empty() && scheme != "file")
            return fault(": такие адреса станция не открывает");

        if (scheme.empty() && target.front() == '?')
            return; // only a query or a fragment: this very page
        // The address as the engine will load it, judged by the station's own rule.
        const std::string address = scheme == "file"                                   ? target
                                    : target.front() == '/' || target.front() == '\\' ? "file://" + target
                                                                                       : pageFolderUrl_ + target;
        switch (rule_.Judge(address)) {
        case station::PageVerdict::Shown: return;
        case station::PageVerdict::Missing:
        case station::PageVerdict::Absent: {
            const fs::path missing = station::FileUrlPath(address).value_or(station::FilePath{}).path;
            std::string why = ": такого файла нет";
            if (const auto twin = CaseTwin(missing.parent_path(), missing.filename().string()); !twin.empty())
                why += " (есть «" + Shown(twin) + "», но регистр букв в имени важен)";
            fault(why);
            findings_.back().missing = missing;
            return;
        }
        case station::PageVerdict::Outside:
            return fault(" ведёт за пределы папки станции, а станция показывает только свою папку");
        case station::PageVerdict::OtherMachine:
            return fault(" ведёт на другой компьютер, а станция показывает только свою папку");
        case station::PageVerdict::Key: return fault(" ведёт на ключ ответов, а его станция не показывает");
        case station::PageVerdict::Folder: return fault(" ведёт на папку, а не на файл");
        case station::PageVerdict::NotPlain:
            return fault(" ведёт не на обычный файл, а на канал, сокет или устройство — станция такое не открывает");
        case station::PageVerdict::Unknown:
        case station::PageVerdict::OtherScheme:
            return fault(": файл по такому адресу не опознать (ссылка по кругу или в никуда, «%2F» в имени, слишком "
                         "длинный путь), и станция его не открывает");
        }
    }

    // "1." "2." "3." (or with ")") in this order, each starting a word, or a
    // numbered list of three items or more.
    bool ShowsThreeChoices() const
    {
        if (numberedList_)
            return true;
        char want = '1';
        for (const auto& text : texts_) {
            for (std::size_t at = 0; at < text.size() && want <= '3'; ++at) {
                const bool wordStart = at == 0 || std::string_view(" \t\r\n(\xA0").find(text[at - 1]) != std::string_view::npos;
                const bool mark = at + 1 < text.size() && (text[at + 1] == '.' || text[at + 1] == ')');
                const bool ends = at + 2 >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at + 2]));
                if (text[at] == want && wordStart && mark && ends)
                    ++want;
            }
        }
        return want > '3';
    }

    std::string_view bytes_;
    fs::path page_;
    PageKind kind_;
    station::PageRule rule_;
    std::string pageFolderUrl_; // relative addresses start from here
    std::string converted_;
    std::string baseUrl_;
    std::vector<std::string> texts_;
    bool numberedList_ = false;
    std::vector<PageFinding> findings_;
};

} // namespace

std::vector<PageFinding> InspectPage(std::string_view bytes, const fs::path& page, PageKind kind,
                                     const PagePlaces& places)
{
    return Inspector(bytes, page, kind, places).Run();
}

std::vector<PageFinding> InspectPageFile(const fs::path& page, PageKind kind, const PagePlaces& places)
{
    std::error_code ec;
    const auto size = fs::file_size(page, ec);
    if (ec || size > MaxInspectedBytes)
        return {};
    std::ifstream in(page, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return {};
    return InspectPage(bytes, page, kind, places);
}

std::string CaseTwin(const fs::path& folder, const std::string& name)
{
    const auto lower = Lower(name);
    std::error_code ec;
    std::set<std::string> twins;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const auto entry = it->path().filename().string();
        if (entry != name && Lower(entry) == lower)
            twins.insert(entry);
    }
    return twins.empty() ? std::string() : *twins.begin();
}

} // namespace contentcheck
