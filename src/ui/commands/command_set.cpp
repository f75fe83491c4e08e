#include "ui/commands/command_set.h"

#include <QAction>
#include <QMenu>

#include "ui/commands/command_ids.h"

namespace orv {

namespace {

using R = EnableRule;
using C = CheckRule;

}  // namespace

const std::vector<CommandSpec>& CommandTable() {
    static const std::vector<CommandSpec> table = {
        // Diskette menu.
        {ID_DISKETTE_OPEN,
         "&Open",
         "Display files which are on diskette.",
         "Open",
         {QKeySequence::Open},
         R::Closed},
        {ID_DISKETTE_CLOSE, "C&lose", "Close diskette", "Close", {QKeySequence::Close}, R::Open},
        {ID_DISKETTE_REFRESH,
         "Read dis&kette again",
         "Read the files of the open diskette again",
         "",
         {QKeySequence::Refresh},
         R::Open},
        {ID_INSERT_IMAGE,
         "Inser&t diskette image...",
         "Put another diskette image into drive A:",
         "",
         {},
         R::Closed},
        {ID_NEW_IMAGE,
         "&New blank image...",
         "Create a blank diskette image and put it into drive A:",
         "",
         {},
         R::Closed},
        {ID_RECENT_IMAGES,
         "Recent i&mages",
         "Put an image used before into drive A:",
         "",
         {},
         R::Closed,
         C::None,
         true},
        {ID_DRIVE_MENU,
         "Dr&ive",
         "Put a 1.44 MB drive of this computer into drive A:",
         "",
         {},
         R::Closed,
         C::None,
         true},
        // Make image refuses with a message of its own while a diskette is open, as Format
        // does; the other three only read image files and need no drive.
        {ID_MAKE_IMAGE,
         "Make im&age of diskette...",
         "Read the diskette in drive A: into an image file",
         "",
         {}},
        {ID_MERGE_READS,
         "Mer&ge reads...",
         "Merge several images of one diskette into one image",
         "",
         {}},
        {ID_RESCUE_FILE,
         "Rescue &file from copies...",
         "Put one file together from its damaged copies on several images",
         "",
         {}},
        {ID_SCAN_FOLDER,
         "&Scan folder of images...",
         "Show the health of every image in a folder and its subfolders",
         "",
         {}},
        {ID_VERIFICATION,
         "&Verification",
         "Turn On/Off read test after writing on diskette",
         "",
         {},
         R::Always,
         C::Verify},
        {ID_RESTORE_ATTRIBUTES,
         "&Restore date and attributes",
         "Set attributes and time of a file copied from diskette",
         "",
         {},
         R::Always,
         C::Restore},
        {ID_DISKETTE_INFO,
         "&Diskette info...",
         "Display info about currently openned diskette",
         "Diskette info",
         {},
         R::Open},
        {ID_APP_EXIT, "&Exit", "Close window", "", {QKeySequence::Quit}},
        // File menu.
        {ID_FILE_ADD, "&Add...", "Add file(s) on diskette.", "Add file(s)", {}, R::Open},
        {ID_FILE_COPY, "&Copy...", "Copy file from diskette", "Copy", {}, R::Selection},
        {ID_FILE_DELETE,
         "&Delete\tDEL",
         "Delete selected file(s).",
         "Delete file(s)",
         {QKeySequence(Qt::Key_Delete)},
         R::Selection},
        {ID_EDIT_COPY,
         "Copy to clip&board",
         "Put the selected files on the clipboard",
         "",
         {QKeySequence::Copy},
         R::Selection},
        {ID_EDIT_PASTE,
         "&Paste from clipboard",
         "Add the files on the clipboard to the diskette",
         "",
         {QKeySequence::Paste},
         R::Open},
        {ID_FILE_ADD_FROM,
         "Add &from...",
         "Add file to diskette starting from entered position",
         "",
         {},
         R::Open},
        {ID_FILE_COPY_AT,
         "C&opy at...",
         "Copy file from diskette to a file to entered position",
         "",
         {},
         R::Selection},
        {ID_CREATE_REPAIR_FILE,
         "Cr&eate repair file...",
         "Write file of entered bad sectors",
         "",
         {}},
        {ID_REPAIR_FILE, "&Repair file...", "Repair file copied from a bad diskette", "", {}},
        // Tools menu.
        {ID_FORMAT, "&Format...", "Format diskette so that it can be used with Orvalis", "", {}},
        {ID_DISK_SERVICE, "&Disk service...", "Fixs some errors on diskette", "", {}},
        // View menu.
        {ID_VIEW_TOOLBAR, "&Toolbar", "Display/hide toolbar", "", {}, R::Always, C::ToolBar},
        {ID_VIEW_STATUS_BAR,
         "&Status bar",
         "Display/hide status bar",
         "",
         {},
         R::Always,
         C::StatusBar},
        // Help menu, the help button and what F1 asks for.
        {ID_HELP_FINDER, "&Help Topics", "Display help", "", {}},
        {ID_APP_ABOUT,
         "&About Orvalis...",
         "Display program info, version and copyright",
         "About Orvalis",
         {}},
        {ID_CONTEXT_HELP, "Help", "Context sensitive help", "Help", {}, R::Always, C::HelpMode},
        {ID_HELP, "Help", "", "", {}},
        {ID_DEFAULT_HELP, "Help Topics", "", "", {}},
        // Context menu only.
        {ID_CONTEXT_ABOUT, "&About Orvalis...", "", "", {}},
        {ID_PROPERTIES_ONE, "&Properties", "", "", {}, R::Selection},
        {ID_PROPERTIES_MANY, "&Properties", "", "", {}, R::Selection},
    };
    return table;
}

const CommandSpec* FindCommand(int id) {
    for (const CommandSpec& spec : CommandTable())
        if (spec.id == id) return &spec;
    return nullptr;
}

bool RuleAllows(EnableRule rule, const CommandState& s) {
    switch (rule) {
        case EnableRule::Always:
            return true;
        case EnableRule::Closed:
            return !s.open;
        case EnableRule::Open:
            return s.open;
        case EnableRule::Selection:
            return s.open && s.selected > 0;
    }
    return false;
}

bool CheckMarked(CheckRule check, const CommandState& s) {
    switch (check) {
        case CheckRule::None:
            return false;
        case CheckRule::Verify:
            return s.verify;
        case CheckRule::Restore:
            return s.restore;
        case CheckRule::ToolBar:
            return s.toolBar;
        case CheckRule::StatusBar:
            return s.statusBar;
        case CheckRule::HelpMode:
            return s.helpMode;
    }
    return false;
}

CCommandSet::CCommandSet(QObject* parent) : QObject(parent) {
    for (const CommandSpec& spec : CommandTable()) {
        Entry& entry = m_entries[spec.id];
        entry.spec = &spec;
        if (spec.submenu) {
            // The submenu's own action is the command's: a menu that adds it shows the submenu.
            entry.submenu = std::make_unique<QMenu>(QString(spec.text));
            entry.action = entry.submenu->menuAction();
            connect(entry.submenu.get(), &QMenu::aboutToShow, this, [this, id = spec.id] {
                Entry& e = m_entries[id];
                e.submenu->clear();
                if (e.fill) e.fill(*e.submenu);
            });
        } else {
            entry.action = new QAction(QString(spec.text), this);
            connect(entry.action, &QAction::triggered, this, [this, id = spec.id] { Run(id); });
        }
        entry.action->setData(spec.id);
        entry.action->setStatusTip(spec.prompt);
        if (*spec.tooltip) entry.action->setToolTip(spec.tooltip);
        entry.action->setShortcuts(spec.keys);
        entry.action->setCheckable(spec.check != CheckRule::None);
        entry.action->setIconVisibleInMenu(false);
    }
    Update();
}

CCommandSet::~CCommandSet() = default;

void CCommandSet::Bind(int id, std::function<void()> slot) {
    if (auto it = m_entries.find(id); it != m_entries.end()) it->second.slot = std::move(slot);
}

void CCommandSet::BindSubmenu(int id, std::function<void(QMenu&)> fill) {
    if (auto it = m_entries.find(id); it != m_entries.end()) it->second.fill = std::move(fill);
}

void CCommandSet::AddStateSource(std::function<void(CommandState&)> source) {
    m_sources.push_back(std::move(source));
}

void CCommandSet::SetInterceptor(std::function<bool(int)> interceptor) {
    m_interceptor = std::move(interceptor);
}

const CCommandSet::Entry* CCommandSet::Find(int id) const {
    const auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
}

QAction* CCommandSet::Action(int id) const {
    const Entry* entry = Find(id);
    return entry ? entry->action : nullptr;
}

CommandState CCommandSet::State() const {
    CommandState state;
    for (const auto& source : m_sources) source(state);
    return state;
}

bool CCommandSet::IsEnabled(int id) const {
    const Entry* entry = Find(id);
    if (!entry || !(entry->slot || entry->fill)) return false;
    return RuleAllows(entry->spec->rule, State());
}

bool CCommandSet::IsChecked(int id) const {
    const Entry* entry = Find(id);
    return entry && CheckMarked(entry->spec->check, State());
}

bool CCommandSet::Run(int id) {
    if (m_interceptor && m_interceptor(id)) {
        Update();
        emit commandRan(id);
        return true;
    }
    // The rule is computed afresh: a disabled command never runs, whichever way it comes.
    if (!IsEnabled(id) || !Find(id)->slot) {
        Update();
        return false;
    }
    const std::function<void()> slot = Find(id)->slot;  // the slot may rebind
    slot();
    Update();
    emit commandRan(id);
    return true;
}

void CCommandSet::Update() {
    const CommandState state = State();
    for (auto& [id, entry] : m_entries) {
        entry.action->setEnabled((entry.slot || entry.fill) && RuleAllows(entry.spec->rule, state));
        if (entry.action->isCheckable())
            entry.action->setChecked(CheckMarked(entry.spec->check, state));
    }
}

}  // namespace orv
