#include "tools/PageCheck.h"

#include "tools/Charset.h"
#include "tools/ContentCheck.h"
#include "tools/Text.h"

#include "base/PageRule.h"
#include "base/Questions.h"

#include <gumbo.h>

#include <algorithm>
#include <fstream>
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

// What a reference brings, and what the person at the station sees when it
// does not come.
struct Kind {
    const char* noun;
    const char* effect;
};
constexpr Kind Picture{"картинка", "на её месте будет пустое место"}, Style{"стиль", "страница будет без этого оформления"},
    Frame{"рамка", "она останется пустой"}, Link{"ссылка", "перейти по ней не получится"},
    Script{"скрипт", "он не выполнится"}, Media{"видео или звук", "он не проиграется"},
    Embed{"вставка", "на её месте будет пустое место"};

// The scheme of a URL ("http"), lower case; empty for a relative reference.
std::string SchemeOf(std::string_view url)
{
    if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0])))
        return {};
    for (std::size_t at = 1; at < url.size(); ++at) {
        const char c = url[at];
        if (c == ':')
            return tools::LowerAscii(url.substr(0, at));
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
        return tools::LowerAscii(tools::Trim(charset->value, tools::HtmlBlanks));
    const GumboAttribute* equiv = gumbo_get_attribute(&meta.attributes, "http-equiv");
    const GumboAttribute* content = gumbo_get_attribute(&meta.attributes, "content");
    if (!equiv || !content || tools::LowerAscii(tools::Trim(equiv->value, tools::HtmlBlanks)) != "content-type")
        return {};
    const std::string value = tools::LowerAscii(content->value);
    const auto at = value.find("charset=");
    if (at == std::string::npos)
        return {};
    std::string name = value.substr(at + 8);
    name = std::string(tools::Trim(name.substr(0, name.find(';')), tools::HtmlBlanks));
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
        if (stop == name || notNesting.count(tools::LowerAscii(bytes.substr(name, std::min<std::size_t>(stop - name, 16)))))
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

// The charset the page's first <meta> declaring one names, lower case; empty
// when none does.
std::string DeclaredCharset(std::string_view bytes)
{
    std::string declared;
    Parsed(bytes).Walk([&](const GumboNode& node) {
        if (node.type == GUMBO_NODE_ELEMENT && node.v.element.tag == GUMBO_TAG_META && declared.empty())
            declared = DeclaredCharset(node.v.element);
        return true;
    });
    return declared;
}

// Whether the letters will show as written. Returns the page as UTF-8 when it
// is in another declared charset, for the links' sake.
std::optional<std::string> CheckLetters(std::string_view bytes, std::vector<Finding>& findings)
{
    if (bytes.starts_with(tools::Utf8Bom))
        return std::nullopt; // the mark rules over any declaration
    constexpr const char* Garbled = " — станция покажет вместо букв кракозябры";
    const std::string declared = DeclaredCharset(bytes);
    const std::size_t invalid = charset::FirstInvalidUtf8(bytes);
    if (declared.empty()) {
        if (invalid != std::string_view::npos)
            findings.push_back({tools::LineOf(bytes, invalid),
                                std::string("кодировка страницы не объявлена, а текст не в UTF-8 (похоже, windows-1251)")
                                    + Garbled + "; объявите её в <head>: <meta http-equiv=\"Content-Type\" "
                                                "content=\"text/html; charset=windows-1251\">"});
        return std::nullopt;
    }
    if (IsUtf8Name(declared)) {
        if (invalid != std::string_view::npos)
            findings.push_back({tools::LineOf(bytes, invalid),
                                std::string("объявлена кодировка UTF-8, а текст не в UTF-8 (похоже, windows-1251)") + Garbled});
        return std::nullopt;
    }
    if (charset::IsAscii(bytes))
        return std::nullopt;
    if (invalid == std::string_view::npos) {
        const auto firstLetter = std::find_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        findings.push_back({tools::LineOf(bytes, static_cast<std::size_t>(firstLetter - bytes.begin())),
                            "объявлена кодировка " + Shown(declared) + ", а текст в UTF-8" + Garbled});
        return std::nullopt;
    }
    return charset::ToUtf8(bytes, declared.c_str());
}

// The attributes that lead to another file, by element.
struct Referring {
    GumboTag tag;
    const char* attribute;
    const Kind& kind;
};
constexpr Referring ReferringAttributes[] = {
    {GUMBO_TAG_IMG, "src", Picture},       {GUMBO_TAG_BODY, "background", Picture},
    {GUMBO_TAG_TABLE, "background", Picture}, {GUMBO_TAG_TD, "background", Picture},
    {GUMBO_TAG_TH, "background", Picture},  {GUMBO_TAG_IFRAME, "src", Frame},
    {GUMBO_TAG_FRAME, "src", Frame},        {GUMBO_TAG_A, "href", Link},
    {GUMBO_TAG_AREA, "href", Link},         {GUMBO_TAG_EMBED, "src", Embed},
    {GUMBO_TAG_OBJECT, "data", Embed},      {GUMBO_TAG_VIDEO, "poster", Picture},
    {GUMBO_TAG_VIDEO, "src", Media},        {GUMBO_TAG_AUDIO, "src", Media},
    {GUMBO_TAG_SOURCE, "src", Media},       {GUMBO_TAG_TRACK, "src", Media},
    {GUMBO_TAG_SCRIPT, "src", Script},
};

// Elements whose content is no text of the page.
bool HoldsNoText(GumboTag tag)
{
    return tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_NOSCRIPT || tag == GUMBO_TAG_TEMPLATE
           || tag == GUMBO_TAG_TITLE;
}

std::string_view AttributeValue(const GumboElement& element, const char* name)
{
    const GumboAttribute* found = gumbo_get_attribute(&element.attributes, name);
    return found ? found->value : std::string_view();
}

// Walks the parsed page: what its references lead to, and the text it shows.
class Inspector {
public:
    Inspector(const fs::path& page, const PagePlaces& places)
        : places_(places), rule_(fs::absolute(places.station).string(), KeyNames(places)),
          pageFolderUrl_(station::FileUrl(fs::absolute(page).parent_path().string()) + "/")
    {
    }

    std::vector<Finding>& Findings() { return findings_; }

    // Every element, in document order; false to skip what is inside.
    bool Visit(const GumboNode& node)
    {
        if (node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_CDATA) {
            texts_.emplace_back(node.v.text.text);
            return true;
        }
        if (node.type != GUMBO_NODE_ELEMENT)
            return true;
        const GumboElement& element = node.v.element;
        if (element.tag == GUMBO_TAG_HEAD) {
            VisitHead(element);
            return false;
        }
        for (const Referring& referring : ReferringAttributes)
            if (referring.tag == element.tag)
                Reference(element, referring.attribute, referring.kind);
        if (element.tag == GUMBO_TAG_INPUT && tools::LowerAscii(AttributeValue(element, "type")) == "image")
            Reference(element, "src", Picture);
        else if (element.tag == GUMBO_TAG_LINK)
            VisitLink(element);
        else if (element.tag == GUMBO_TAG_OL)
            CountListItems(element);
        return !HoldsNoText(element.tag);
    }

    // "1." "2." "3." (or with ")") in this order, each starting a word, or a
    // numbered list of as many items or more.
    bool ShowsThreeChoices() const
    {
        constexpr char First = '0' + station::FirstChoice, Last = '0' + station::LastChoice;
        if (numberedList_)
            return true;
        char want = First;
        for (const auto& text : texts_) {
            for (std::size_t at = 0; at < text.size() && want <= Last; ++at) {
                const bool wordStart = at == 0 || std::string_view(" \t\r\n(\xA0").find(text[at - 1]) != std::string_view::npos;
                const bool mark = at + 1 < text.size() && (text[at + 1] == '.' || text[at + 1] == ')');
                const bool ends = at + 2 >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at + 2]));
                if (text[at] == want && wordStart && mark && ends)
                    ++want;
            }
        }
        return want > Last;
    }

private:
    // What the head refers to; its text is no part of the page.
    void VisitHead(const GumboElement& head)
    {
        for (unsigned k = 0; k < head.children.length; ++k) {
            const auto* child = static_cast<const GumboNode*>(head.children.data[k]);
            if (child->type != GUMBO_NODE_ELEMENT)
                continue;
            const GumboElement& element = child->v.element;
            if (element.tag == GUMBO_TAG_BASE && gumbo_get_attribute(&element.attributes, "href"))
                baseUrl_ = tools::Trim(AttributeValue(element, "href"), tools::HtmlBlanks);
            else if (element.tag == GUMBO_TAG_LINK)
                VisitLink(element);
            else if (element.tag == GUMBO_TAG_SCRIPT)
                Reference(element, "src", Script);
        }
    }

    void VisitLink(const GumboElement& link)
    {
        if (tools::LowerAscii(AttributeValue(link, "rel")).find("stylesheet") != std::string::npos)
            Reference(link, "href", Style);
    }

    void CountListItems(const GumboElement& list)
    {
        int items = 0;
        for (unsigned k = 0; k < list.children.length; ++k) {
            const auto* child = static_cast<const GumboNode*>(list.children.data[k]);
            if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == GUMBO_TAG_LI)
                ++items;
        }
        numberedList_ = numberedList_ || items >= station::ChoicesPerQuestion;
    }

    void Reference(const GumboElement& element, const char* attribute, const Kind& kind)
    {
        const GumboAttribute* found = gumbo_get_attribute(&element.attributes, attribute);
        if (!found)
            return;
        const std::string url(tools::Trim(found->value, tools::HtmlBlanks));
        if (url.empty() || url.front() == '#')
            return; // this very page
        if (const std::string why = WhyNotShown(url); !why.empty()) {
            findings_.push_back({static_cast<int>(found->value_start.line),
                                 std::string(kind.noun) + " «" + Shown(url, 80) + "»" + why + " — " + kind.effect});
        }
    }

    // Why the station will not show what `url` leads to; empty when it will.
    std::string WhyNotShown(const std::string& url) const
    {
        std::string scheme = SchemeOf(url);
        std::string target = url;
        if (scheme.empty() && !baseUrl_.empty() && !url.starts_with("//") && url.front() != '/') {
            // A <base> moves every relative reference.
            scheme = SchemeOf(baseUrl_);
            target = baseUrl_.substr(0, baseUrl_.rfind('/') + 1) + url;
        }
        if (scheme.size() == 1)
            return ": это путь на диске Windows, а на станции такого диска нет; нужна ссылка относительно страницы";
        if (scheme == "data" || scheme == "javascript" || scheme == "about" || scheme == "blob")
            return {};
        if (IsWebScheme(scheme) || target.starts_with("//") || target.starts_with("\\\\"))
            return " ведёт в интернет, а у станции нет сети";
        if (!scheme.empty() && scheme != "file")
            return ": такие адреса станция не открывает";
        if (scheme.empty() && target.front() == '?')
            return {}; // only a query or a fragment: this very page
        // The address as the engine will load it, judged by the station's own rule.
        const std::string address = scheme == "file"                                   ? target
                                    : target.front() == '/' || target.front() == '\\' ? "file://" + target
                                                                                       : pageFolderUrl_ + target;
        return WhyNot(rule_.Judge(address), address);
    }

    std::string WhyNot(station::PageVerdict verdict, const std::string& address) const
    {
        switch (verdict) {
        case station::PageVerdict::Shown: return {};
        case station::PageVerdict::Missing:
        case station::PageVerdict::Absent:
            return WhyMissing(station::FileUrlPath(address).value_or(station::FilePath{}).path);
        case station::PageVerdict::Outside:
            return " ведёт за пределы папки станции, а станция показывает только свою папку";
        case station::PageVerdict::OtherMachine:
            return " ведёт на другой компьютер, а станция показывает только свою папку";
        case station::PageVerdict::Key: return " ведёт на ключ ответов, а его станция не показывает";
        case station::PageVerdict::Folder: return " ведёт на папку, а не на файл";
        case station::PageVerdict::NotPlain:
            return " ведёт не на обычный файл, а на канал, сокет или устройство — станция такое не открывает";
        case station::PageVerdict::Unknown:
        case station::PageVerdict::OtherScheme: break;
        }
        return ": файл по такому адресу не опознать (ссылка по кругу или в никуда, «%2F» в имени, слишком длинный "
               "путь), и станция его не открывает";
    }

    std::string WhyMissing(const fs::path& missing) const
    {
        std::string why = ": такого файла нет";
        if (const auto twin = CaseTwin(missing.parent_path(), missing.filename().string()); !twin.empty())
            why += " (есть «" + Shown(twin) + "», но регистр букв в имени важен)";
        if (const auto name = places_.missingName ? places_.missingName(missing) : std::string(); !name.empty())
            why += " (нужен " + name + ")";
        return why;
    }

    const PagePlaces& places_;
    station::PageRule rule_;
    std::string pageFolderUrl_; // relative addresses start from here
    std::string baseUrl_;
    std::vector<std::string> texts_;
    bool numberedList_ = false;
    std::vector<Finding> findings_;
};

// In line order; beyond the cap, one line sums up the rest.
std::vector<Finding> Capped(std::vector<Finding> findings)
{
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    if (findings.size() > MaxFindingsPerPage) {
        const auto more = findings.size() - MaxFindingsPerPage;
        findings.resize(MaxFindingsPerPage);
        findings.push_back({0, "на странице ещё " + std::to_string(more) + " таких находок, они не показаны", Severity::Info});
    }
    return findings;
}

} // namespace

std::vector<Finding> InspectPage(std::string_view bytes, const fs::path& page, PageKind kind, const PagePlaces& places)
{
    if (tools::StartsWithUtf16Bom(bytes))
        return {}; // UTF-16 with its mark: browsers read it, the parser does not
    if (NestingBound(bytes) > MaxInspectedDepth)
        return {{0, "элементы страницы вложены друг в друга глубже " + std::to_string(MaxInspectedDepth) + " уровней: она не проверялась",
                 Severity::Info}};
    Inspector inspector(page, places);
    const std::optional<std::string> utf8 = CheckLetters(bytes, inspector.Findings());
    Parsed(utf8 ? std::string_view(*utf8) : bytes).Walk([&](const GumboNode& node) { return inspector.Visit(node); });
    if (kind == PageKind::Question && !inspector.ShowsThreeChoices())
        inspector.Findings().push_back({0, "на странице не видно трёх вариантов ответа с номерами «1.», «2.», «3.» — а "
                                           "человек выбирает ответ по номеру под страницей", Severity::Info});
    return Capped(std::move(inspector.Findings()));
}

std::vector<Finding> InspectPageFile(const fs::path& page, PageKind kind, const PagePlaces& places)
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

} // namespace contentcheck
