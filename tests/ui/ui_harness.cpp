#include "ui_harness.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "disk/image_medium.h"
#include "ui/commands/command_ids.h"

namespace orv::tests {

Answer HookedUser::AskInsertDiskette(const Message& m) {
    std::function<void()> action;
    {
        std::lock_guard lock(m_mutex);
        m_prompts.push_back(m.text);
        if (m_inserts.empty()) return Answer::Cancel;
        action = std::move(m_inserts.front());
        m_inserts.pop_front();
    }
    if (action) action();
    return Answer::Ok;
}

void HookedUser::PushInsert(std::function<void()> action) {
    std::lock_guard lock(m_mutex);
    m_inserts.push_back(std::move(action));
}

std::vector<std::string> HookedUser::Prompts() const {
    std::lock_guard lock(m_mutex);
    return m_prompts;
}

namespace {

struct QuietSink final : IProgressSink {
    void SetPercent(int) override {}
    void ShowCounts(long, long) override {}
    bool CancelRequested() const override { return false; }
};

}  // namespace

int InlineProgress::RunProgress(const ProgressSpec&,
                                const std::function<void(IProgressSink&)>& worker) {
    ++runs;
    QuietSink sink;
    worker(sink);
    return PROGRESS_OK;
}

ModalDriver::ModalDriver() : m_timerOwner(std::make_unique<QObject>()) {
    auto* timer = new QTimer(m_timerOwner.get());
    QObject::connect(timer, &QTimer::timeout, [this] { Poll(); });
    timer->start(20);
}

ModalDriver::~ModalDriver() = default;

void ModalDriver::Then(Handler handler) {
    m_handlers.push_back(std::move(handler));
}

void ModalDriver::Poll() {
    if (m_handlers.empty()) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == m_last) return;
    Handler handler = m_handlers.front();
    if (!handler(modal)) return;
    m_last = modal;
    m_handlers.pop_front();
}

ModalDriver::Handler ClickButton(const QString& buttonText, QString* seen) {
    return [buttonText, seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box) return false;
        for (QAbstractButton* b : box->buttons()) {
            if (b->text().remove('&') == QString(buttonText).remove('&')) {
                if (seen) *seen = box->text();
                b->click();
                return true;
            }
        }
        return false;
    };
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    return QTest::qWaitFor(pred, timeoutMs);
}

void MakeFormattedImage(const std::string& path, const std::string& label) {
    std::string error;
    ASSERT_TRUE(CreateBlankImage(path, error)) << error;
    CDrive drive;
    ASSERT_TRUE(drive.Insert(path, error)) << error;
    CVolume volume(&drive);
    ASSERT_TRUE(QuickFormat(volume, label));
}

void ViewTest::SetUp() {
    CVolume volume(&disk.Drive());
    ASSERT_TRUE(QuickFormat(volume, "WORK"));
    view.OnInitialUpdate({});
}

void ViewTest::Open() {
    ASSERT_TRUE(view.Commands().Run(ID_DISKETTE_OPEN));
    ASSERT_TRUE(view.IsOpen());
}

std::string ViewTest::HostFile(const std::string& name, std::size_t size, std::uint32_t seed) {
    const std::string path = temp.File(name);
    WriteBytes(path, Pattern(size, seed));
    return path;
}

void ViewTest::AddToDiskette(const std::string& name, std::size_t size) {
    ASSERT_EQ(doc.AddFile(HostFile(name, size), 0), 0) << name;
    view.RebuildList();
}

void ViewTest::Select(const std::vector<int>& rows) {
    view.SelectRows(rows);
}

std::vector<std::string> ViewTest::Column(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < view.RowCount(); ++row)
        texts.push_back(view.RowText(row, column).toStdString());
    return texts;
}

std::vector<std::string> ViewTest::DocNames() const {
    std::vector<std::string> names;
    for (const FileRecord& r : doc.Files()) names.push_back(r.displayName);
    return names;
}

}  // namespace orv::tests
