// Every command of the window once: its text, status-bar prompt, tooltip, keys and the rules
// for when it may run and when its item carries a check mark. A CCommandSet makes one QAction
// of each; the menu bar, the toolbar, the keys and the context menu all show those actions, and
// whoever carries a command out binds its slot.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QMenu;

namespace orv {

// What the rules read.
struct CommandState {
    bool open = false;  // a diskette is open
    int selected = 0;   // selected rows
    bool verify = false;
    bool restore = true;
    bool toolBar = false;  // shown
    bool statusBar = false;
    bool helpMode = false;
};

enum class EnableRule {
    Always,
    Closed,     // no diskette is open: what is in the drive changes only then
    Open,       // a diskette is open
    Selection,  // a diskette is open and at least one row is selected
};

enum class CheckRule { None, Verify, Restore, ToolBar, StatusBar, HelpMode };

struct CommandSpec {
    int id = 0;
    const char* text = "";
    const char* prompt = "";   // shown in the status bar while the item is highlighted
    const char* tooltip = "";  // empty when the command has no toolbar button
    QList<QKeySequence> keys;  // the first is the one menus show
    EnableRule rule = EnableRule::Always;
    CheckRule check = CheckRule::None;
    bool submenu = false;  // the command opens a submenu that its owner fills
};

// Every command, each once.
const std::vector<CommandSpec>& CommandTable();
const CommandSpec* FindCommand(int id);

bool RuleAllows(EnableRule rule, const CommandState& state);
bool CheckMarked(CheckRule check, const CommandState& state);

class CCommandSet : public QObject {
    Q_OBJECT
public:
    explicit CCommandSet(QObject* parent = nullptr);
    ~CCommandSet() override;

    // The slot of a command; a command without one never runs and shows disabled.
    void Bind(int id, std::function<void()> slot);
    // A submenu's filler: the submenu is emptied and filled each time it opens.
    void BindSubmenu(int id, std::function<void(QMenu&)> fill);
    // Adds to what the rules read (the view its state, the frame its bars).
    void AddStateSource(std::function<void(CommandState&)> source);
    // Sees every command first (help mode takes one to show its topic); true when it took it.
    void SetInterceptor(std::function<bool(int)> interceptor);

    QAction* Action(int id) const;  // null for an id without a command
    CommandState State() const;
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;
    // Runs the command as its action would: false when its rule did not let it run.
    bool Run(int id);
    // Enable and check state of every action afresh from the rules.
    void Update();

signals:
    // A command ran (or was taken by the interceptor).
    void commandRan(int id);

private:
    struct Entry {
        const CommandSpec* spec = nullptr;
        QAction* action = nullptr;
        std::unique_ptr<QMenu> submenu;
        std::function<void()> slot;
        std::function<void(QMenu&)> fill;
    };
    const Entry* Find(int id) const;

    std::map<int, Entry> m_entries;
    std::vector<std::function<void(CommandState&)>> m_sources;
    std::function<bool(int)> m_interceptor;
};

}  // namespace orv
