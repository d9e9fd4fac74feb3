// vortab_make_reference DESCRIPTIONS OPENING EDITOR OUTPUT: writes the language reference page
// from the library's identifier chain and keyword families, the descriptions file and the two
// HTML fragments of fixed topics. Fails (exit code 1) when an identifier has no description,
// so that a new command cannot ship undocumented.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "editor/help/reference_page.h"
#include "library/language/identifier_table.h"
#include "library/language/keywords.h"
#include "shared/text/whole_file.h"

namespace {

std::string ReadFile(const std::string& path) {
    vortab::WholeFile file = vortab::ReadWholeFile(path);
    if (!file.ok()) throw std::runtime_error("cannot read " + path);
    return std::move(file.bytes);
}

std::string ValueText(const vortab::Keyword& keyword) {
    if (keyword.text) return std::string("\"") + keyword.text + "\"";
    std::ostringstream number;
    number.precision(12);
    number << keyword.number;
    return number.str();
}

std::vector<vortab::help::ConstantFamily> Constants() {
    std::vector<vortab::help::ConstantFamily> families;
    for (const vortab::KeywordFamily& family : vortab::KeywordFamilies()) {
        vortab::help::ConstantFamily out{family.type, {}};
        for (const vortab::Keyword& keyword : family.keywords) out.keywords.emplace_back(keyword.word, ValueText(keyword));
        families.push_back(std::move(out));
    }
    return families;
}

// Written beside the target and renamed, so a failed run never leaves half a page behind.
void WriteAtomically(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) throw std::runtime_error("cannot write " + temporary);
    }
    std::filesystem::rename(temporary, path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: vortab_make_reference DESCRIPTIONS OPENING.html EDITOR.html OUTPUT.html\n";
        return 2;
    }
    try {
        vortab::help::ReferenceSources sources;
        sources.chain = vortab::LanguageChain().head();
        sources.constants = Constants();
        sources.descriptions = vortab::help::ParseDescriptions(ReadFile(argv[1]));
        sources.openingHtml = ReadFile(argv[2]);
        sources.editorHtml = ReadFile(argv[3]);
        const vortab::help::ReferencePage page = vortab::help::WriteReferencePage(sources);
        for (const std::string& warning : page.warnings) std::cerr << argv[1] << ": warning: " << warning << "\n";
        for (const std::string& error : page.errors) std::cerr << argv[1] << ": error: " << error << "\n";
        if (!page.errors.empty()) return 1;
        WriteAtomically(argv[4], page.html);
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
