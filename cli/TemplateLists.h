#pragma once

#include <vector>

// The entries of one list box of the main window's template, in order (UTF-8).
struct TemplateList {
    int controlId;
    std::vector<const char*> entries;
};

// Every list box of the main window's template; made from it at build time.
const std::vector<TemplateList>& TemplateLists();
