// The main window's menu tree, toolbar and status bar panels as tables, so that the window
// builds them in one place and nothing is spelled twice.
#pragma once

#include <vector>

namespace tessel::app {

struct TopMenuSpec {
    const char* name;     // "mnuFile"
    const char* caption;  // "File"
};

struct MenuItemSpec {
    const char* menu;      // name of the menu that holds it (a top menu or a sub-menu)
    const char* name;      // "mnuFileNew"
    const char* caption;   // "&New"
    const char* shortcut;  // in portable key text ("Ctrl+N", "Del", "F3"); "" for none
    int helpContext;       // 0 for none
    bool separatorAfter;
    bool subMenu = false;  // holds the items that name it as their menu
    bool checkable = false;
};

struct ToolbarButtonSpec {
    const char* key;    // "new"
    const char* image;  // resource file of its picture
    const char* toolTip;
    bool separatorBefore;
};

struct StatusPanelSpec {
    const char* toolTip;
    int widthTwips;  // 0: takes the room that is left
};

const std::vector<TopMenuSpec>& TopMenus();
const std::vector<MenuItemSpec>& MenuItems();
const std::vector<ToolbarButtonSpec>& ToolbarButtons();
const std::vector<StatusPanelSpec>& StatusPanels();

// The menu item that a toolbar button runs; "" for the print button, which prints at once.
const char* MenuItemForButton(const char* key);

}  // namespace tessel::app
