// The program's help: HTML pages installed with the program, and the topic that each command,
// window and dialog opens.
#pragma once

#include <QString>
#include <QUrl>
#include <vector>

namespace orv {

struct HelpPage {
    const char* file;
    const char* title;
};

// The list of topics of the help window, in its order; the first is the contents.
const std::vector<HelpPage>& HelpPages();

struct HelpLocation {
    QString page;    // file name of the page
    QString anchor;  // empty for the top of the page
};

// Where a topic is written; an unknown topic leads to the contents.
HelpLocation LocateTopic(const QString& topic);
// Every topic that LocateTopic knows.
std::vector<QString> KnownTopics();

// The topic of a command ("cmd-32784" for Format...).
QString CommandTopic(int commandId);

// The folder of the pages: the one installed beside the program when it is there, else the
// copy built into the program.
QString HelpFolder();
QUrl PageUrl(const QString& page);
QUrl TopicUrl(const QString& topic);

}  // namespace orv
