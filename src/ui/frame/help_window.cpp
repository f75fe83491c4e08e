#include "ui/frame/help_window.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <algorithm>

#include "ui/frame/help_topics.h"

namespace orv {

CHelpWindow::CHelpWindow(QWidget* parent) : QDialog(parent, Qt::Window) {
    setWindowTitle("Orvalis Help");
    setObjectName("help");
    setAttribute(Qt::WA_QuitOnClose, false);  // closing the main window ends the program
    setProperty("helpTopic", "cmd-57667");
    auto* splitter = new QSplitter(this);
    m_pTopics = new QListWidget(splitter);
    m_pTopics->setObjectName("topics");
    for (const HelpPage& page : HelpPages()) m_pTopics->addItem(page.title);
    m_pTopics->setWordWrap(true);
    m_pTopics->setSpacing(2);
    m_pBrowser = new QTextBrowser(splitter);
    m_pBrowser->setOpenLinks(true);
    m_pBrowser->setOpenExternalLinks(false);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    const int em = fontMetrics().averageCharWidth();
    splitter->setSizes({30 * em, 70 * em});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    QSize size(110 * em, 40 * fontMetrics().height());
    if (const QScreen* screen = this->screen()) {
        // Room on the screen for the window that the help explains, too, and for the frame the
        // window manager puts around this one.
        const QRect free = screen->availableGeometry();
        size = size.boundedTo(
            QSize(free.width() * 9 / 20, (free.height() - FrameAllowance()) * 9 / 10));
    }
    resize(size);
    ApplyPalette();
    connect(m_pTopics, &QListWidget::currentRowChanged, this, &CHelpWindow::OnTopicChosen);
    connect(m_pBrowser, &QTextBrowser::sourceChanged, this, &CHelpWindow::OnSourceChanged);
}

void CHelpWindow::ApplyPalette() {
    const QPalette& p = palette();
    // Headings in the link colour, which every palette makes readable on its base; tables and
    // notes on the alternate base that list rows use.
    const QString sheet =
        QString(
            "h1, h2, h3 { color: %1; }\n"
            "th { background-color: %2; }\n"
            ".note { background-color: %2; }\n"
            "code { color: %3; }\n")
            .arg(p.color(QPalette::Link).name(), p.color(QPalette::AlternateBase).name(),
                 p.color(QPalette::Text).name());
    m_pBrowser->document()->setDefaultStyleSheet(sheet);
    if (!m_pBrowser->source().isEmpty()) m_pBrowser->reload();
}

void CHelpWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) ApplyPalette();
    QDialog::changeEvent(event);
}

void CHelpWindow::PlaceBeside(const QWidget* other) {
    const QScreen* screen = other->screen();
    if (!screen) return;
    const QRect free = screen->availableGeometry();
    const QRect beside = other->frameGeometry();
    const int width = frameGeometry().width();
    int x = beside.right() + 8;
    if (x + width > free.right()) x = beside.left() - 8 - width;
    if (x < free.left()) x = free.right() - width;  // no room beside it: at the screen's edge
    const int y = std::min(beside.top(), free.bottom() - height() - FrameAllowance());
    move(std::max(x, free.left()), std::max(free.top(), y));
}

int CHelpWindow::FrameAllowance() const {
    // Known once the window manager framed the window; before that, a title bar in the
    // program's font (window managers follow the desktop's font, as the program does) and
    // the borders.
    const int known = frameGeometry().height() - geometry().height();
    const int guess = 2 * fontMetrics().height() + 8;
    return std::max(known, guess);
}

void CHelpWindow::ShowTopic(const QString& topic) {
    const QUrl url = TopicUrl(topic);
    m_pBrowser->setSource(url);
    if (url.hasFragment()) m_pBrowser->scrollToAnchor(url.fragment());
    OnSourceChanged(url);
}

QString CHelpWindow::CurrentPage() const {
    const QUrl source = m_pBrowser->source();
    return source.isEmpty() ? QString() : QFileInfo(source.path()).fileName();
}

void CHelpWindow::OnTopicChosen(int row) {
    if (row < 0 || row >= int(HelpPages().size())) return;
    m_pBrowser->setSource(PageUrl(HelpPages()[std::size_t(row)].file));
}

void CHelpWindow::OnSourceChanged(const QUrl& source) {
    const QString page = QFileInfo(source.path()).fileName();
    const QSignalBlocker block(m_pTopics);
    for (std::size_t i = 0; i < HelpPages().size(); ++i)
        if (page == HelpPages()[i].file) m_pTopics->setCurrentRow(int(i));
}

}  // namespace orv
