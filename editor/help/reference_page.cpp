#include "editor/help/reference_page.h"

#include <algorithm>
#include <map>
#include <set>

#include "editor/help/help_anchors.h"
#include "editor/runner/identifier_signature.h"

namespace vortab::help {
namespace {

constexpr const char* kStyle = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; max-width: 60em; margin: 1em auto; padding: 0 1em;
       line-height: 1.4; color: #222; }
h1 { border-bottom: 2px solid #446; }
h2 { border-bottom: 1px solid #99a; margin-top: 2em; }
h3 { margin-bottom: 0.2em; }
code, kbd, .form { font-family: "DejaVu Sans Mono", "Courier New", monospace; }
.form { background: #f0f0f5; padding: 0.15em 0.4em; margin: 0.1em 0; display: block; }
.type { color: #355; font-style: italic; }
table { border-collapse: collapse; margin: 0.5em 0; }
th, td { border: 1px solid #bbc; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
th { background: #e4e4ee; }
ul.index { columns: 3; list-style: none; padding: 0; }
a { color: #235; }
)";

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Link(const std::string& anchor, const std::string& html) { return "<a href=\"#" + anchor + "\">" + html + "</a>"; }

bool IsIfForm(const IdentifierEntry& e) { return (e.kind >> 4) == 3; }
int SyntacticClass(const IdentifierEntry& e) { return e.kind & 0x0F; }

// One name of one group: its forms in registration order and where the page puts it.
struct Topic {
    std::string group, name, anchor;
    std::vector<const IdentifierEntry*> forms;
};

class PageWriter {
public:
    explicit PageWriter(const ReferenceSources& sources) : sources_(sources) { collect(); }

    ReferencePage write() {
        ReferencePage page;
        checkTopics(page);
        std::string body;
        body += sources_.openingHtml;
        for (const std::string& group : groupOrder_) body += groupSection(group);
        body += constantsSection();
        body += sources_.editorHtml;
        body += indexSection();
        page.html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                    "<title>VORTAB script language reference</title>\n<style>" +
                    std::string(kStyle) + "</style>\n</head>\n<body>\n<h1 id=\"" + kContentsAnchor +
                    "\">VORTAB script language reference</h1>\n" + contents() + body + "</body>\n</html>\n";
        return page;
    }

private:
    void collect() {
        std::vector<const IdentifierEntry*> chain;
        for (const IdentifierEntry* e = sources_.chain; e; e = e->next) chain.push_back(e);
        // The chain runs from the last registered entry; the first entry met under a name is the
        // one a lookup finds, and the page's anchor of the bare name leads to its group.
        // Members of the packed entries are copied out, never bound to a reference.
        for (const IdentifierEntry* e : chain) primaryGroup_.emplace(std::string(e->name), std::string(e->group));
        std::reverse(chain.begin(), chain.end());
        for (const IdentifierEntry* e : chain) {
            const std::string key = std::string(e->group) + '\n' + e->name;
            auto found = topicIndex_.find(key);
            if (found == topicIndex_.end()) {
                Topic topic{e->group, e->name, NameAnchor(e->name), {}};
                if (primaryGroup_[e->name] != e->group) topic.anchor += "-" + std::to_string(e->helpContext);
                topics_.push_back(topic);
                found = topicIndex_.emplace(key, topics_.size() - 1).first;
                nameAnchors_.insert(e->name);
            }
            topics_[found->second].forms.push_back(e);
            const std::string group = e->group;
            if (std::find(chainGroups_.begin(), chainGroups_.end(), group) == chainGroups_.end())
                chainGroups_.push_back(group);
        }
        for (const ConstantFamily& family : sources_.constants)
            for (const auto& [word, value] : family.keywords) nameAnchors_.insert(word);
        // Groups in the order the descriptions give them; a group they lack comes last.
        groupOrder_ = orderedGroups();
    }

    std::vector<std::string> orderedGroups() const {
        std::vector<std::string> order;
        for (const std::string& heading : sources_.descriptions.order)
            if (std::find(chainGroups_.begin(), chainGroups_.end(), heading) != chainGroups_.end()) order.push_back(heading);
        for (const std::string& group : chainGroups_)
            if (std::find(order.begin(), order.end(), group) == order.end()) order.push_back(group);
        return order;
    }

    void checkTopics(ReferencePage& page) const {
        for (const Topic& topic : topics_) {
            const Description* d = sources_.descriptions.find(topic.group, topic.name);
            if (!d) {
                page.errors.push_back("no description of " + topic.name + " in group \"" + topic.group + "\"");
                continue;
            }
            std::size_t arity = 0;
            for (const IdentifierEntry* e : topic.forms) arity = std::max<std::size_t>(arity, Arity(*e));
            if (d->argumentNames.size() != arity)
                page.errors.push_back(topic.name + " in group \"" + topic.group + "\" takes " + std::to_string(arity) +
                                      " arguments, its description names " + std::to_string(d->argumentNames.size()));
        }
        for (const auto& [group, text] : sources_.descriptions.groups)
            for (const auto& [name, description] : text.entries)
                if (!topicIndex_.contains(group + '\n' + name))
                    page.warnings.push_back("description of " + name + " in group \"" + group +
                                            "\" matches no identifier");
        const std::string topics = sources_.openingHtml + sources_.editorHtml;
        for (const std::string& anchor : {std::string(kUsingAnchor), std::string(kBasicsAnchor),
                                          ContextAnchor(kMainWindowContext), ContextAnchor(kOptionsContext)})
            if (topics.find("id=\"" + anchor + "\"") == std::string::npos)
                page.errors.push_back("the page's topics lack the section " + anchor);
    }

    static std::size_t Arity(const IdentifierEntry& e) {
        std::size_t n = 0;
        while (n < sizeof e.argTypes && e.argTypes[n] != 0) ++n;
        return n;
    }

    // A type name, linked to its keyword family when it has one.
    std::string typeHtml(std::uint8_t type) const {
        const std::string name = "<span class=\"type\">" + Escaped(ValueTypeName(type)) + "</span>";
        for (const ConstantFamily& family : sources_.constants)
            if (family.type == type) return Link(FamilyAnchor(type), name);
        return name;
    }
    static std::string FamilyAnchor(std::uint8_t type) { return "type-" + std::to_string(type); }

    std::string argumentHtml(const std::vector<std::string>& names, std::size_t i, const std::string& type) const {
        const std::string name = i < names.size() ? names[i] : "arg" + std::to_string(i + 1);
        return "<var>" + Escaped(name) + "</var>: " + type;
    }

    std::string formHtml(const IdentifierEntry& e, const std::vector<std::string>& names, const std::string& result,
                         const std::vector<std::string>& types) const {
        const std::string name = "<b>" + Escaped(e.name) + "</b>";
        std::string form;
        if (SyntacticClass(e) == 1) {
            form = name + " " + argumentHtml(names, 0, types.at(0));
        } else if (SyntacticClass(e) >= 2) {
            form = argumentHtml(names, 0, types.at(0)) + " " + name + " " + argumentHtml(names, 1, types.at(1));
        } else {
            form = name;
            for (std::size_t i = 0; i < types.size(); ++i)
                form += (i ? ", " : "(") + argumentHtml(names, i, types[i]) + (i + 1 == types.size() ? ")" : "");
        }
        return "<span class=\"form\">" + form + " &rarr; " + result + "</span>\n";
    }

    std::string formsHtml(const Topic& topic, const std::vector<std::string>& names) const {
        std::string html;
        std::vector<std::uint8_t> ifTypes;
        for (const IdentifierEntry* e : topic.forms) {
            if (IsIfForm(*e)) {
                ifTypes.push_back(e->resultType);
                continue;
            }
            std::vector<std::string> types;
            for (std::size_t i = 0; i < Arity(*e); ++i) types.push_back(typeHtml(e->argTypes[i]));
            html += formHtml(*e, names, typeHtml(e->resultType), types);
        }
        if (!ifTypes.empty()) {
            // One form per result type T, with T for both branches: shown once.
            const std::string t = "<span class=\"type\">T</span>";
            html += formHtml(*topic.forms.front(), names, t, {typeHtml(vtBoolean), t, t});
            std::string list;
            for (std::uint8_t type : ifTypes) list += (list.empty() ? "" : ", ") + typeHtml(type);
            html += "<p>T is any of: " + list + ".</p>\n";
        }
        return html;
    }

    // Description text: paragraphs, "- " list items, `code` linked when it names an entry.
    std::string textHtml(const std::vector<std::string>& lines) const {
        std::string html, paragraph;
        bool inList = false;
        const auto flush = [&] {
            if (!paragraph.empty()) html += (inList ? "<li>" : "<p>") + inline_(paragraph) + (inList ? "</li>\n" : "</p>\n");
            paragraph.clear();
        };
        for (const std::string& line : lines) {
            if (line.empty()) {
                flush();
                if (inList) html += "</ul>\n";
                inList = false;
            } else if (line.starts_with("- ")) {
                flush();
                if (!inList) html += "<ul>\n";
                inList = true;
                paragraph = line.substr(2);
            } else {
                paragraph += (paragraph.empty() ? "" : " ") + line;
            }
        }
        flush();
        if (inList) html += "</ul>\n";
        return html;
    }

    std::string inline_(const std::string& text) const {
        std::string html;
        std::size_t at = 0;
        while (at < text.size()) {
            const auto open = text.find('`', at);
            const auto close = open == std::string::npos ? std::string::npos : text.find('`', open + 1);
            if (close == std::string::npos) {
                html += Escaped(text.substr(at));
                break;
            }
            html += Escaped(text.substr(at, open - at));
            const std::string code = text.substr(open + 1, close - open - 1);
            const std::string codeHtml = "<code>" + Escaped(code) + "</code>";
            html += nameAnchors_.contains(code) ? Link(NameAnchor(code), codeHtml) : codeHtml;
            at = close + 1;
        }
        return html;
    }

    std::string groupSection(const std::string& group) {
        std::string html = "<section>\n<h2 id=\"" + GroupAnchor(group) + "\">" + Escaped(group) + "</h2>\n";
        if (const auto g = sources_.descriptions.groups.find(group); g != sources_.descriptions.groups.end())
            html += textHtml(g->second.intro);
        for (const Topic& topic : topics_) {
            if (topic.group != group) continue;
            const Description* d = sources_.descriptions.find(topic.group, topic.name);
            const std::vector<std::string> names = d ? d->argumentNames : std::vector<std::string>{};
            for (const IdentifierEntry* e : topic.forms) {
                const std::int32_t context = e->helpContext;
                if (placedContexts_.insert(context).second) html += "<a id=\"" + ContextAnchor(context) + "\"></a>";
            }
            html += "<h3 id=\"" + topic.anchor + "\"><code>" + Escaped(topic.name) + "</code></h3>\n";
            html += formsHtml(topic, names);
            if (d) html += textHtml(d->lines);
        }
        return html + "</section>\n";
    }

    static std::string GroupAnchor(const std::string& group) {
        std::string anchor = "group-";
        for (char c : group) anchor += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c == ' ' ? '-' : c;
        return anchor;
    }

    std::string constantsSection() const {
        std::string html = std::string("<section>\n<h2 id=\"") + kConstantsAnchor +
                           "\">Symbolic constants</h2>\n<p>Keywords that stand for fixed values of the keyword "
                           "types. They are accepted in any case, each only where its type is asked for.</p>\n";
        for (const ConstantFamily& family : sources_.constants) {
            html += "<h3 id=\"" + FamilyAnchor(family.type) + "\">" + Escaped(ValueTypeName(family.type)) + "</h3>\n";
            std::string users;
            std::set<std::string> seen;
            for (const Topic& topic : topics_)
                for (const IdentifierEntry* e : topic.forms)
                    if (!IsIfForm(*e) && std::find(e->argTypes, e->argTypes + Arity(*e), family.type) != e->argTypes + Arity(*e) &&
                        seen.insert(topic.anchor).second)
                        users += (users.empty() ? "" : ", ") + Link(topic.anchor, "<code>" + Escaped(topic.name) + "</code>");
            if (!users.empty()) html += "<p>Used by " + users + ".</p>\n";
            html += "<table>\n<tr><th>Keyword</th><th>Value</th></tr>\n";
            for (const auto& [word, value] : family.keywords)
                html += "<tr id=\"" + NameAnchor(word) + "\"><td><code>" + Escaped(word) + "</code></td><td>" +
                        Escaped(value) + "</td></tr>\n";
            html += "</table>\n";
        }
        return html + "</section>\n";
    }

    std::string indexSection() const {
        std::vector<std::pair<std::string, std::string>> items;  // label, anchor
        for (const Topic& topic : topics_) {
            const bool twice = std::count_if(topics_.begin(), topics_.end(),
                                             [&](const Topic& t) { return t.name == topic.name; }) > 1;
            items.emplace_back(topic.name + (twice ? " (" + topic.group + ")" : ""), topic.anchor);
        }
        for (const ConstantFamily& family : sources_.constants)
            for (const auto& [word, value] : family.keywords) items.emplace_back(word, NameAnchor(word));
        items.emplace_back("TRUE", "TRUE");
        items.emplace_back("FALSE", "FALSE");
        std::sort(items.begin(), items.end());
        std::string html = std::string("<section>\n<h2 id=\"") + kIndexAnchor +
                           "\">Keyword index</h2>\n<ul class=\"index\">\n";
        for (const auto& [label, anchor] : items) html += "<li>" + Link(anchor, "<code>" + Escaped(label) + "</code>") + "</li>\n";
        return html + "</ul>\n</section>\n";
    }

    // The sections' headings: the topics' own h2 headings and the generated ones, in page order.
    std::string contents() const {
        std::string html = "<nav>\n<h2>Contents</h2>\n<ul>\n";
        const auto headings = [&](const std::string& fragment) {
            for (std::size_t at = fragment.find("<h2 id=\""); at != std::string::npos; at = fragment.find("<h2 id=\"", at + 1)) {
                const auto idStart = at + 8, idEnd = fragment.find('"', idStart);
                const auto titleEnd = fragment.find("</h2>", idEnd);
                html += "<li>" + Link(fragment.substr(idStart, idEnd - idStart), fragment.substr(idEnd + 2, titleEnd - idEnd - 2)) +
                        "</li>\n";
            }
        };
        headings(sources_.openingHtml);
        for (const std::string& group : groupOrder_) html += "<li>" + Link(GroupAnchor(group), Escaped(group)) + "</li>\n";
        html += "<li>" + Link(kConstantsAnchor, "Symbolic constants") + "</li>\n";
        headings(sources_.editorHtml);
        html += "<li>" + Link(kIndexAnchor, "Keyword index") + "</li>\n";
        return html + "</ul>\n</nav>\n";
    }

    const ReferenceSources& sources_;
    std::vector<Topic> topics_;
    std::map<std::string, std::size_t> topicIndex_;
    std::map<std::string, std::string> primaryGroup_;
    std::vector<std::string> chainGroups_, groupOrder_;
    std::set<std::string> nameAnchors_;
    std::set<std::int32_t> placedContexts_;
};

}  // namespace

ReferencePage WriteReferencePage(const ReferenceSources& sources) { return PageWriter(sources).write(); }

}  // namespace vortab::help
