// The help pages and the Help menu: every help context number the program carries opens an
// anchor that exists, the links between the pages lead somewhere, and Contents, F1, the
// toolbar's help button and Help > Web hand the right address to the desktop.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <map>
#include <set>

#include "app/main_menus.h"
#include "app/startup/help_commands.h"
#include "app/startup/help_pages.h"
#include "core/db/errors.h"
#include "gui_support.h"

namespace tessel::test::gui {
namespace {

namespace fs = std::filesystem;

QString ReadPage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

std::set<QString> AnchorsOf(const QString& html) {
    std::set<QString> anchors;
    static const QRegularExpression id("\\bid=\"([^\"]+)\"");
    for (const QRegularExpressionMatch& match : id.globalMatch(html))
        anchors.insert(match.captured(1));
    return anchors;
}

QString HelpDir() {
    return QString::fromStdString(app::HelpDirectory());
}

class HelpTest : public MainWindowTest {};

TEST_F(HelpTest, EveryHelpContextNumberOfTheProgramOpensAnAnchorThatExists) {
    std::set<int> contexts;
    for (const QAction* item : Window().findChildren<QAction*>()) {
        const int context = item->property("helpContext").toInt();
        if (context > 0)
            contexts.insert(context);
    }
    for (const app::MenuItemSpec& item : app::MenuItems()) {
        if (item.helpContext > 0)
            contexts.insert(item.helpContext);
    }
    // The menu table's numbers run from 7 (File > New) to 35 (Help > Show tip of day).
    ASSERT_EQ(contexts.size(), 29u);
    EXPECT_EQ(*contexts.begin(), 7);
    EXPECT_EQ(*contexts.rbegin(), 35);
    for (int context : contexts) {
        EXPECT_TRUE(app::HasHelpTopic(context)) << context;
        const app::HelpTopic topic = app::HelpTopicFor(context);
        EXPECT_EQ(Std(topic.anchor), "context-" + std::to_string(context));
        const QString page = HelpDir() + "/" + topic.page;
        ASSERT_TRUE(QFile::exists(page)) << Std(page);
        EXPECT_EQ(AnchorsOf(ReadPage(page)).count(topic.anchor), 1u)
            << Std(page) << " has no anchor " << Std(topic.anchor);
    }
}

TEST_F(HelpTest, EveryLinkBetweenThePagesLeadsToAPageAndAnchorThatExist) {
    const QStringList pages = QDir(HelpDir()).entryList({"*.html"}, QDir::Files);
    ASSERT_GE(pages.size(), 8);
    std::map<QString, std::set<QString>> anchors;
    for (const QString& page : pages)
        anchors[page] = AnchorsOf(ReadPage(HelpDir() + "/" + page));
    static const QRegularExpression link("href=\"([^\"#:]*)(?:#([^\"]*))?\"");
    int links = 0;
    for (const QString& page : pages) {
        const QString html = ReadPage(HelpDir() + "/" + page);
        EXPECT_TRUE(html.startsWith("<!DOCTYPE html>")) << Std(page);
        EXPECT_NE(html.indexOf("<title>"), -1) << Std(page);
        for (const QRegularExpressionMatch& match : link.globalMatch(html)) {
            const QString target = match.captured(1).isEmpty() ? page : match.captured(1);
            if (target.endsWith(".css")) {
                EXPECT_TRUE(QFile::exists(HelpDir() + "/" + target)) << Std(target);
                continue;
            }
            ++links;
            ASSERT_TRUE(anchors.count(target)) << Std(page) << " links to " << Std(target);
            if (!match.captured(2).isEmpty()) {
                EXPECT_EQ(anchors[target].count(match.captured(2)), 1u)
                    << Std(page) << " links to " << Std(target) << "#" << Std(match.captured(2));
            }
        }
    }
    EXPECT_GT(links, 50);
}

TEST_F(HelpTest, ContentsAndTheToolbarsHelpButtonOpenTheContentsPage) {
    Window().RunMenuCommand("mnuHelpTopics");
    Window().ToolbarButton("help")->trigger();
    Settle();
    ASSERT_EQ(openedUrls_.size(), 2u);
    const QUrl contents = QUrl::fromLocalFile(HelpDir() + "/index.html");
    EXPECT_EQ(openedUrls_[0], contents);
    EXPECT_EQ(openedUrls_[1], contents);
    EXPECT_TRUE(person_.boxes.empty());
}

TEST_F(HelpTest, F1OnAHighlightedMenuItemOpensItsTopic) {
    QMenu* file = Window().Menu("mnuFile");
    file->popup(Window().mapToGlobal(QPoint(10, 10)));
    Settle();
    file->setActiveAction(Window().MenuItem("mnuFileSave"));
    QTest::keyClick(file, Qt::Key_F1);
    Settle();
    EXPECT_FALSE(file->isVisible());
    ASSERT_EQ(openedUrls_.size(), 1u);
    // The viewer gets a page that moves on to the anchor, for viewers that drop "#anchor".
    const QString forward = openedUrls_[0].toLocalFile();
    EXPECT_EQ(Std(forward), Home() + "/help-topic.html");
    const QString html = ReadPage(forward);
    QUrl target = QUrl::fromLocalFile(HelpDir() + "/menu-file.html");
    target.setFragment("context-9");
    EXPECT_NE(html.indexOf("url=" + target.toString(QUrl::FullyEncoded).toHtmlEscaped()), -1)
        << Std(html);
}

TEST_F(HelpTest, AMissingHelpPageIsNamedInTheStandardErrorBox) {
    TempDir emptyHelp;
    try {
        app::ShowHelpTopic({[](const QUrl&) { return true; }, {}}, emptyHelp.Path().string(),
                           Home(), app::HelpTopicFor(9));
        FAIL() << "no error for a missing page";
    } catch (const db::EngineError& error) {
        EXPECT_EQ(error.Number(), db::err::kFileNotFound);
        EXPECT_EQ(error.Description().rfind(
                      "The help page " + emptyHelp.File("menu-file.html") + " was not found.", 0),
                  0u)
            << error.Description();
    }
}

TEST_F(HelpTest, NumbersWithoutATopicOpenTheContents) {
    for (int context : {0, 1, 6, 36, -1}) {
        EXPECT_FALSE(app::HasHelpTopic(context)) << context;
        EXPECT_EQ(Std(app::HelpTopicFor(context).page), "index.html");
        EXPECT_EQ(Std(app::HelpTopicFor(context).anchor), "");
    }
}

TEST_F(HelpTest, WebOpensTheHomePageEachTimeItIsChosen) {
    Window().RunMenuCommand("mnuHelpWeb");
    Window().RunMenuCommand("mnuHelpWeb");
    Settle();
    ASSERT_EQ(openedUrls_.size(), 2u);
    const QUrl home = app::HomePageUrl(app::HelpDirectory());
    EXPECT_EQ(openedUrls_[0], home);
    EXPECT_EQ(openedUrls_[1], home);
    EXPECT_TRUE(home.isValid());
    if (home.isLocalFile()) {
        EXPECT_TRUE(QFile::exists(home.toLocalFile())) << Std(home.toString());
    }
    EXPECT_TRUE(person_.boxes.empty());
}

TEST_F(HelpTest, ABrowserThatCannotStartIsReportedWithTheErrorNumberAsTitle) {
    desktopAnswers_ = false;
    person_.PressInBox(QMessageBox::Ok);
    Window().RunMenuCommand("mnuHelpWeb");
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(Std(person_.boxes[0].caption), "429");
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::Critical);
    const std::string address = Std(app::HomePageUrl(app::HelpDirectory()).toString());
    EXPECT_EQ(Std(person_.boxes[0].text),
              "The web browser could not be started to show " + address +
                  ". Set a default web browser for the desktop and try again.");
}

TEST_F(HelpTest, AViewerThatCannotStartIsReportedInTheStandardBox) {
    desktopAnswers_ = false;
    person_.PressInBox(QMessageBox::Ok);
    Window().RunMenuCommand("mnuHelpTopics");
    Settle();
    ASSERT_EQ(person_.boxes.size(), 1u);
    EXPECT_EQ(person_.boxes[0].icon, QMessageBox::Critical);
    EXPECT_NE(Std(person_.boxes[0].text).find("No help viewer could be started for "),
              std::string::npos);
}

}  // namespace
}  // namespace tessel::test::gui
