#include "ui/frame/help_topics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <map>

#include "ui/commands/command_ids.h"

#ifndef ORVALIS_HELP_FROM_BIN
#define ORVALIS_HELP_FROM_BIN "../share/orvalis/help"
#endif

namespace orv {

namespace {

constexpr const char* kContents = "index.html";
constexpr const char* kBuiltInFolder = ":/help";

struct TopicEntry {
    const char* topic;
    const char* page;
};

// Each topic is an anchor of the same name on its page.
const TopicEntry kTopics[] = {
    {"topics", "index.html"},
    {"main", "main_window.html"},
    {"list", "main_window.html"},
    {"properties", "main_window.html"},
    {"cmd-59392", "main_window.html"},
    {"cmd-59393", "main_window.html"},
    {"cmd-57634", "main_window.html"},
    {"cmd-57637", "main_window.html"},
    {"cmd-32773", "diskette_menu.html"},
    {"cmd-32777", "diskette_menu.html"},
    {"cmd-32798", "diskette_menu.html"},
    {"cmd-32790", "diskette_menu.html"},
    {"cmd-32791", "diskette_menu.html"},
    {"cmd-32792", "diskette_menu.html"},
    {"cmd-32793", "diskette_menu.html"},
    {"cmd-32794", "imaging.html"},
    {"cmd-32795", "imaging.html"},
    {"cmd-32796", "imaging.html"},
    {"cmd-32797", "imaging.html"},
    {"scanwindow", "imaging.html"},
    {"cmd-32782", "diskette_menu.html"},
    {"cmd-32783", "diskette_menu.html"},
    {"cmd-32787", "diskette_menu.html"},
    {"diskinfo", "diskette_menu.html"},
    {"cmd-57665", "diskette_menu.html"},
    {"cmd-32774", "file_menu.html"},
    {"cmd-32775", "file_menu.html"},
    {"cmd-32776", "file_menu.html"},
    {"cmd-32780", "file_menu.html"},
    {"cmd-32781", "file_menu.html"},
    {"progress", "file_menu.html"},
    {"startfrom", "file_menu.html"},
    {"badsectors", "file_menu.html"},
    {"cmd-32778", "repair_files.html"},
    {"cmd-32779", "repair_files.html"},
    {"repair", "repair_files.html"},
    {"cmd-32784", "format.html"},
    {"format", "format.html"},
    {"results", "format.html"},
    {"cmd-32785", "disk_service.html"},
    {"diskservice", "disk_service.html"},
    {"images", "images.html"},
    {"imaging", "imaging.html"},
    {"rescue", "rescue.html"},
    {"cmd-57667", "help.html"},
    {"cmd-57669", "help.html"},
    {"cmd-57670", "help.html"},
    {"cmd-57664", "help.html"},
    {"about", "help.html"},
    {"messages", "help.html"},
};

}  // namespace

const std::vector<HelpPage>& HelpPages() {
    static const std::vector<HelpPage> pages = {
        {"index.html", "Orvalis Help Topics"},
        {"main_window.html", "The main window and the file list"},
        {"diskette_menu.html", "Diskette menu: open, close, options, information"},
        {"file_menu.html", "File menu: add, copy and delete files"},
        {"format.html", "Formatting a diskette"},
        {"disk_service.html", "Disk service: testing and mending a diskette"},
        {"repair_files.html", "Repair files"},
        {"rescue.html", "Rescuing a file from a damaged diskette, step by step"},
        {"images.html", "Diskette image files and .faults sidecars"},
        {"imaging.html", "A box of worn diskettes: images, merged reads, rescued files"},
        {"help.html", "Using Help; About Orvalis"},
    };
    return pages;
}

HelpLocation LocateTopic(const QString& topic) {
    for (const TopicEntry& e : kTopics)
        if (topic == e.topic) return {e.page, topic};
    return {kContents, {}};
}

std::vector<QString> KnownTopics() {
    std::vector<QString> topics;
    for (const TopicEntry& e : kTopics) topics.push_back(e.topic);
    return topics;
}

QString CommandTopic(int commandId) {
    switch (commandId) {
        case ID_DEFAULT_HELP:
            return "topics";
        case ID_CONTEXT_ABOUT:
            return CommandTopic(ID_APP_ABOUT);
        case ID_PROPERTIES_ONE:
        case ID_PROPERTIES_MANY:
            return "properties";
        default:
            return QString("cmd-%1").arg(commandId);
    }
}

QString HelpFolder() {
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).filePath(ORVALIS_HELP_FROM_BIN);
    if (QFileInfo::exists(QDir(installed).filePath(kContents))) return QDir::cleanPath(installed);
    return kBuiltInFolder;
}

QUrl PageUrl(const QString& page) {
    const QString folder = HelpFolder();
    return folder.startsWith(':') ? QUrl("qrc" + folder + "/" + page)
                                  : QUrl::fromLocalFile(QDir(folder).filePath(page));
}

QUrl TopicUrl(const QString& topic) {
    const HelpLocation where = LocateTopic(topic);
    QUrl url = PageUrl(where.page);
    if (!where.anchor.isEmpty()) url.setFragment(where.anchor);
    return url;
}

}  // namespace orv
