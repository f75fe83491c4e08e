#include "ui/dialogs/about_dlg.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ports/text_format.h"
#include "transfer/file_batches.h"
#include "ui/platform/host_disk.h"
#include "ui/resources/pictures.h"

namespace orv {

std::string PhysicalMemoryText() {
    const std::int64_t bytes = PhysicalMemoryBytes();
    return StrFormat("%lu KB", static_cast<unsigned long>(bytes < 0 ? 0 : bytes >> 10));
}

std::string FreeSpaceText(const std::string& folder) {
    const std::int64_t free = HardDiskRoom(folder);
    if (free < 0) return "Nedostupno";
    return StrFormat("%lu KB na %s", static_cast<unsigned long>(free >> 10),
                     FileSystemOf(folder).c_str());
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Orvalis");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* icon = new QLabel(this);
    icon->setPixmap(LoadPicture(IDR_MAINFRAME));
    auto* version = new QLabel("Orvalis  Version 1.21", this);
    version->setTextFormat(Qt::PlainText);
    auto* memoryLabel = new QLabel("Physical memory:", this);
    auto* memory = new QLabel(QString::fromStdString(PhysicalMemoryText()), this);
    auto* spaceLabel = new QLabel("Free space:", this);
    auto* space =
        new QLabel(QString::fromStdString(FreeSpaceText(QDir::currentPath().toStdString())), this);
    auto* more = new QLabel("For more info press F1.", this);
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);
    auto* logo = new QLabel(this);
    logo->setPixmap(LoadPicture(IDI_LOGO));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(12);
    grid->addWidget(icon, 0, 0, Qt::AlignTop);
    grid->addWidget(version, 0, 1, 1, 2);
    grid->addWidget(ok, 0, 3, Qt::AlignTop);
    grid->addWidget(memoryLabel, 1, 1);
    grid->addWidget(memory, 1, 2);
    grid->addWidget(spaceLabel, 2, 1);
    grid->addWidget(space, 2, 2);
    grid->addWidget(more, 3, 1, 1, 2);
    grid->addWidget(logo, 3, 3, Qt::AlignRight | Qt::AlignBottom);
    grid->setColumnStretch(2, 1);
    setProperty("helpTopic", "about");
}

}  // namespace orv
