#include "app/main_menus.h"

#include <cstring>

namespace tessel::app {

const std::vector<TopMenuSpec>& TopMenus() {
    static const std::vector<TopMenuSpec> menus = {{"mnuFile", "File"},
                                                   {"mnuEdit", "&Edit"},
                                                   {"mnuScript", "&Script"},
                                                   {"mnuTools", "&Tools"},
                                                   {"mnuHelp", "Help"}};
    return menus;
}

const std::vector<MenuItemSpec>& MenuItems() {
    static const std::vector<MenuItemSpec> items = {
        {"mnuFile", "mnuFileNew", "&New", "Ctrl+N", 7, false},
        {"mnuFile", "mnuFileOpen", "&Open", "Ctrl+O", 8, false},
        {"mnuFile", "mnuFileSave", "&Save", "Ctrl+S", 9, false},
        {"mnuFile", "mnuFileSaveAs", "Save &As", "Ctrl+J", 10, true},
        {"mnuFile", "mnuFileDelete", "&Delete", "Ctrl+D", 11, true},
        {"mnuFile", "mnuFilePrinterSU", "Printer set&up", "Ctrl+U", 12, false},
        {"mnuFile", "mnuFilePrintPreview", "Print pre&view", "Ctrl+Shift+P", 13, false},
        {"mnuFile", "mnuFilePrint", "&Print", "Ctrl+P", 13, true},
        {"mnuFile", "mnuFileExit", "E&xit", "Ctrl+Q", 14, false},
        {"mnuEdit", "mnuEditSelectAll", "Select &All", "Ctrl+A", 15, true},
        {"mnuEdit", "mnuEditCut", "C&ut", "Ctrl+X", 16, false},
        {"mnuEdit", "mnuEditCopy", "&Copy", "Ctrl+C", 17, false},
        {"mnuEdit", "mnuEditPaste", "&Paste", "Ctrl+V", 18, false},
        {"mnuEdit", "mnuEditDelete", "&Delete", "Del", 19, true},
        {"mnuEdit", "mnuEditFind", "&Find", "Ctrl+F", 20, false},
        {"mnuEdit", "mnuEditFindNext", "Find &next", "F3", 21, false},
        {"mnuScript", "mnuScriptExecute", "&Execute", "Ctrl+E", 22, false},
        {"mnuScript", "mnuScriptGenerate", "&Generate", "Ctrl+G", 23, true},
        {"mnuScript", "mnuScriptExport", "E&xport", "F4", 24, false},
        {"mnuTools", "mnuToolsOptions", "&Options...", "Ctrl+T", 25, true},
        {"mnuTools", "mnuToolsRepair", "&Repair MDB", "Ctrl+R", 26, false},
        {"mnuTools", "mnuToolsCompact", "&Compact MDB", "", 0, true, true},
        {"mnuToolsCompact", "mnuToolsCMDB7", "&7.0 MDB...", "F7", 27, false},
        {"mnuToolsCompact", "mnuToolsCMDB2", "&2.0 MDB...", "F8", 28, false},
        {"mnuTools", "mnuToolsMDM", "Make MDB Design &Master", "Ctrl+M", 29, false},
        {"mnuTools", "mnuToolsRDM", "Replicate MDB &DM copy", "F6", 30, false},
        {"mnuTools", "mnuToolsS", "&Synchronise MDB DM files", "Ctrl+Y", 31, true},
        {"mnuTools", "mnuToolsSysTbls", "&Include system tables", "Ctrl+I", 32, false, false, true},
        {"mnuHelp", "mnuHelpTopics", "&Contents and index", "F1", 0, true},
        {"mnuHelp", "mnuHelpWeb", "Ollam on the &web", "Ctrl+W", 33, true},
        {"mnuHelp", "mnuHelpAbout", "&About Ollam SQL Script Editor", "F2", 34, false},
        {"mnuHelp", "mnuHelpTOD", "&Show tip of day...", "F5", 35, false},
    };
    return items;
}

const std::vector<ToolbarButtonSpec>& ToolbarButtons() {
    static const std::vector<ToolbarButtonSpec> buttons = {
        {"new", "new.svg", "New script template", true},
        {"open", "open.svg", "Open script file", false},
        {"save", "save.svg", "Save script file", false},
        {"delete", "delete.svg", "Delete script file", false},
        {"print", "print.svg", "Print script file", false},
        {"cut", "cut.svg", "Cut selected text", true},
        {"copy", "copy.svg", "Copy selected text", false},
        {"paste", "paste.svg", "Paste", false},
        {"find", "find.svg", "Find script text", false},
        {"execute", "execute.svg", "Execute SQL script", true},
        {"generate", "generate.svg", "Generate script", false},
        {"export", "export.svg", "Export script into standard ANSI SQL script file", false},
        {"help", "help.svg", "Help topics", true},
        {"about", "about.svg", "About Ollam Quillet script editor", false},
    };
    return buttons;
}

const std::vector<StatusPanelSpec>& StatusPanels() {
    static const std::vector<StatusPanelSpec> panels = {{"Status", 0},
                                                        {"Caps lock state", 740},
                                                        {"Insert key state", 740},
                                                        {"Jet Engine user name", 1245},
                                                        {"Date when program started", 1245}};
    return panels;
}

const char* MenuItemForButton(const char* key) {
    static const struct {
        const char* key;
        const char* item;
    } routes[] = {{"new", "mnuFileNew"},
                  {"open", "mnuFileOpen"},
                  {"save", "mnuFileSave"},
                  {"delete", "mnuFileDelete"},
                  {"print", ""},
                  {"cut", "mnuEditCut"},
                  {"copy", "mnuEditCopy"},
                  {"paste", "mnuEditPaste"},
                  {"find", "mnuEditFind"},
                  {"execute", "mnuScriptExecute"},
                  {"generate", "mnuScriptGenerate"},
                  {"export", "mnuScriptExport"},
                  {"help", "mnuHelpTopics"},
                  {"about", "mnuHelpAbout"}};
    for (const auto& route : routes) {
        if (std::strcmp(route.key, key) == 0)
            return route.item;
    }
    return nullptr;
}

}  // namespace tessel::app
