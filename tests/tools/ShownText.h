#pragma once
// What a written question page shows, read by an HTML parser as a browser
// reads it: the text of the question and of each choice, line breaks as '\n'.
// The tests and the fuzz targets of the import compare it with what was
// imported.
#include <gumbo.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace shown {

inline std::vector<std::string> QuestionAndChoices(std::string_view utf8Page)
{
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, utf8Page.data(), utf8Page.size());
    std::vector<std::string> shown;
    std::function<std::string(const GumboNode*)> textOf = [&](const GumboNode* node) {
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE)
            return std::string(node->v.text.text);
        std::string all;
        if (node->type == GUMBO_NODE_ELEMENT) {
            for (unsigned k = 0; k < node->v.element.children.length; ++k)
                all += textOf(static_cast<const GumboNode*>(node->v.element.children.data[k]));
            if (node->v.element.tag == GUMBO_TAG_BR)
                all += '\n';
        }
        return all;
    };
    std::function<void(const GumboNode*)> walk = [&](const GumboNode* node) {
        if (node->type != GUMBO_NODE_ELEMENT)
            return;
        const GumboAttribute* cls = gumbo_get_attribute(&node->v.element.attributes, "class");
        if (node->v.element.tag == GUMBO_TAG_H1 || (cls && std::string_view(cls->value) == "text")) {
            shown.push_back(textOf(node));
            return;
        }
        for (unsigned k = 0; k < node->v.element.children.length; ++k)
            walk(static_cast<const GumboNode*>(node->v.element.children.data[k]));
    };
    walk(output->root);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return shown;
}

} // namespace shown
