// The main window's command surface: the command table (one QAction per command) and where each
// command sits in the menu bar, the toolbar and the context menu.
#include "app/ui/textform.h"

#include "app/ui/prompts.h"
#include "app/ui/toolbar_icons.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include <stdexcept>

namespace zorvan {

namespace {

// A toolbar button keeps its own tip: the button takes the action's tip again at every change of
// the action (enabled, checked), so the tip is put back after each.
void keepButtonTip(QToolBar* bar, QAction* action, const QString& tip)
{
    QWidget* button = bar->widgetForAction(action);
    if (!button)
        return;
    button->setToolTip(tip);
    QObject::connect(action, &QAction::changed, button, [button, tip] { button->setToolTip(tip); });
}

// A placement with its own caption (the context menu words some commands differently): an item
// that runs the command's action and follows its enabled state.
QAction* itemWithCaption(QMenu* menu, QAction* command, const QString& caption)
{
    auto* item = new QAction(caption, menu);
    item->setObjectName(command->objectName());
    item->setEnabled(command->isEnabled());
    QObject::connect(command, &QAction::changed, item, [item, command] { item->setEnabled(command->isEnabled()); });
    QObject::connect(item, &QAction::triggered, command, &QAction::trigger);
    menu->addAction(item);
    return item;
}

QAction* findIn(const QList<QAction*>& actions, const QString& name)
{
    for (QAction* a : actions)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

}  // namespace

void TFormText::addOwnCommands()
{
    auto call = [this](void (TFormText::*method)()) { return [this, method] { (this->*method)(); }; };
    const CommandRow rows[] = {
        {"New1Click", "新規作成", "Ctrl+N", 15, call(&TFormText::New1Click)},
        {"Open1Click", "開く", "Ctrl+O", 7, call(&TFormText::Open1Click)},
        {"Save1Click", "保存", "", 0, call(&TFormText::Save1Click)},
        {"Saveas1Click", "上書き保存", "Ctrl+S", 0, call(&TFormText::Saveas1Click)},
        {"Close1Click", "終了", "Alt+X", -1, call(&TFormText::Close1Click)},
        {"Undo1Click", "元に戻す", "Ctrl+Z", -1, call(&TFormText::Undo1Click)},
        {"Redo1Click", "やり直し", "Ctrl+Y", -1, call(&TFormText::Redo1Click)},
        {"Cut1Click", "切り取り", "Ctrl+X", 2, call(&TFormText::Cut1Click)},
        {"Copy1Click", "ｺﾋﾟｰ", "Ctrl+C", 1, call(&TFormText::Copy1Click)},
        {"Paste1Click", "張り付け", "Ctrl+V", 3, call(&TFormText::Paste1Click)},
        {"SelectAll1Click", "Select All", "Ctrl+A", -1, call(&TFormText::SelectAll1Click)},
        {"About1Click", "バージョン情報", "", -1, call(&TFormText::About1Click)},
        {"Pelmora1Click", "Pelmoraとか", "", -1, call(&TFormText::Pelmora1Click)},
        {"TBnStrongClick", "最強化", "", 14, [this] { TBnStrongClick(); }, true, true},
        {"ToolButton22Click", "大文字化", "", 16, [this] { ToolButton22Click(); }, true, true},
        {"Font", "フォント", "", 8, call(&TFormText::Font)},
        {"ReopenInShiftJis", "Shift-JIS", "", -1, [this] { ReopenInEncoding(Encoding::ShiftJis); }},
        {"ReopenInUtf8", "UTF-8", "", -1, [this] { ReopenInEncoding(Encoding::Utf8); }},
        {"SaveInShiftJis", "Shift-JIS", "", -1, [this] { SaveInEncoding({Encoding::ShiftJis, false}); }},
        {"SaveInUtf8", "UTF-8", "", -1, [this] { SaveInEncoding({Encoding::Utf8, false}); }},
        {"SaveInUtf8WithMark", "UTF-8 (BOM付き)", "", -1, [this] { SaveInEncoding({Encoding::Utf8, true}); }},
        {"PMAddFileClick", "ﾌｧｲﾙを付足す", "", -1, call(&TFormText::PMAddFileClick)},
        {"PMInsertFileClick", "ｶｰｿﾙ位置にﾌｧｲﾙ挿入", "", -1, call(&TFormText::PMInsertFileClick)},
        // The keyboard's way to the editor's context menu, as on other desktop programs.
        {"PopupMenuAtCaret", "コンテキストメニュー", "Shift+F10", -1, call(&TFormText::PopupMenuAtCaret)},
        {"RunNc", "RunNc", "Ctrl+Alt+K", 18, call(&TFormText::RunNcExecute), true, false, true},
        {"RunNcThear", "ここからNc実行", "Ctrl+Alt+C", 18, call(&TFormText::RunNcThearExecute), true, false, true},
        // Commands whose work is built later: shown, but disabled so that no item pretends to
        // work. The subsystem that builds one adds its row under the same name.
        {"btnSuportInsertClick", "お決まりインサート", "", 17, {}, false},
        {"Find", "検索", "Ctrl+F", 4, {}, false},
        {"Reprace", "置換", "Ctrl+R", 5, {}, false},
        {"FindNext", "次を再開", "F3", 6, {}, false},
        {"RepraceXYZ", "入れ替え", "", 10, {}, false},
        {"FindMinMax", "極値検索", "", 9, {}, false},
        {"ToolButton26Click", "まいどー", "", 21, {}, false},
        {"ToolButton27Click", "マックのハッピーセット", "", 22, {}, false},
    };
    for (const CommandRow& row : rows)
        addCommand(row);
    action("Redo1Click")->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    for (int n = 0; n < 10; ++n) {
        const QString caption = QString("しおり%1").arg(n);
        setMarkItems[n] = addCommand({QString("NBookmark%1").arg(n), caption, "", -1, [this, n] { NBookmark9Click(n); },
                                      true, true});
        GoMarkItems[n] = addCommand({QString("NGoBookmark%1").arg(n), caption, "", -1,
                                     [this, n] { NGoBookmark9Click(n); }, true, true});
    }
}

QAction* TFormText::commandAction(const QString& name)
{
    Command& command = commands_[name];
    if (!command.action) {
        command.action = new QAction(this);
        command.action->setObjectName(name);
        command.action->setEnabled(false);
        command.action->setIconVisibleInMenu(false);
        addAction(command.action);  // its shortcut works without any menu item
    }
    return command.action;
}

QAction* TFormText::addCommand(const CommandRow& row)
{
    QAction* action = commandAction(row.name);
    Command& command = commands_[row.name];
    if (command.built) {
        if (row.built)
            throw std::logic_error("two rows for the command " + row.name.toStdString());
        return action;  // a "not built yet" row never hides the built one
    }
    if (!row.caption.isEmpty()) {
        action->setText(row.caption);
        action->setToolTip(row.caption);
    }
    if (!row.shortcut.isEmpty())
        action->setShortcut(QKeySequence(row.shortcut));
    if (!row.icon.isNull())
        action->setIcon(row.icon);
    else if (row.image >= 0)
        action->setIcon(toolbarIcon(row.image));
    if (row.checkable)
        action->setCheckable(true);
    if (row.iconInMenus)
        action->setIconVisibleInMenu(true);
    if (row.run) {
        auto run = row.run;
        connect(action, &QAction::triggered, this, [this, run] { runGuarded(this, run); });
    }
    command.built = row.built;
    action->setEnabled(row.built);
    return action;
}

QAction* TFormText::action(const QString& name) const
{
    QString key = name;
    if (key.endsWith(QLatin1String("#tool")))
        key.chop(5);
    auto it = commands_.find(key);
    return it == commands_.end() ? nullptr : it->second.action;
}

QMenu* TFormText::menuFor(Menu menu) const
{
    auto it = menus_.find(menu);
    return it == menus_.end() ? nullptr : it->second;
}

void TFormText::placeInMenu(Menu menu, const QString& name, const QString& before)
{
    QMenu* target = menuFor(menu);
    QAction* command = commandAction(name);
    target->insertAction(before.isEmpty() ? nullptr : findIn(target->actions(), before), command);
}

QMenu* TFormText::addFileSubmenu(const QString& title, const QString& before)
{
    QMenu* file = menuFor(Menu::File);
    auto* submenu = new QMenu(title, file);
    file->insertMenu(before.isEmpty() ? nullptr : findIn(file->actions(), before), submenu);
    return submenu;
}

void TFormText::placeOnToolBar(const QString& name, const QString& tip, const QString& before)
{
    QAction* command = commandAction(name);
    QAction* at = before.isEmpty() ? nullptr : findIn(ToolBar1->actions(), before);
    ToolBar1->insertAction(at, command);
    keepButtonTip(ToolBar1, command, tip);
}

void TFormText::addSidePanel(QWidget* panel)
{
    Splitter1->addWidget(panel);
    Splitter1->setStretchFactor(Splitter1->indexOf(panel), 0);
}

void TFormText::onCaretMoved(std::function<void()> listener) { caretListeners_.push_back(std::move(listener)); }

void TFormText::onTextChanged(std::function<void(const TextChange&)> listener)
{
    textListeners_.push_back(std::move(listener));
}

void TFormText::buildCommands()
{
    // Menu bar.
    ChildMenu1 = menuBar();
    QMenu* file = ChildMenu1->addMenu("ﾌｧｲﾙ(&F)");
    QMenu* edit = ChildMenu1->addMenu("編集(&E)");
    QMenu* search = ChildMenu1->addMenu("検索(&S)");
    QMenu* other = ChildMenu1->addMenu("そのた(&O)");
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    menus_ = {{Menu::File, file}, {Menu::Edit, edit}, {Menu::Search, search}, {Menu::Other, other},
              {Menu::Context, PopupMenu1}};
    auto place = [this](QMenu* menu, std::initializer_list<const char*> names) {
        for (const char* name : names) {
            if (*name == '-')
                menu->addSeparator();
            else
                menu->addAction(commandAction(name));
        }
    };
    place(file, {"New1Click", "Open1Click"});
    QMenu* reopen = file->addMenu("文字コードを指定して開き直す");
    reopen->setObjectName("ReopenInEncoding");
    place(reopen, {"ReopenInShiftJis", "ReopenInUtf8"});
    place(file, {"Save1Click", "Saveas1Click"});
    QMenu* saveIn = file->addMenu("文字コードを指定して保存");
    saveIn->setObjectName("SaveInEncoding");
    place(saveIn, {"SaveInShiftJis", "SaveInUtf8", "SaveInUtf8WithMark"});
    place(file, {"-", "Close1Click"});
    place(edit, {"Undo1Click", "Redo1Click", "-", "Cut1Click", "Copy1Click", "Paste1Click", "-", "SelectAll1Click", "-", "btnSuportInsertClick"});
    place(search, {"Find", "Reprace", "FindNext", "-", "RepraceXYZ", "FindMinMax", "ToolButton26Click",
                   "ToolButton27Click", "-", "CalculateClick", "Kaeru", "OrgChenge", "AfineChehge"});
    place(other, {"About1Click", "Pelmora1Click", "-", "TBnStrongClick", "ToolButton22Click", "-", "RunNcThear",
                  "ToolButton25Click"});
    TBnStrong = menuStrong = action("TBnStrongClick");
    ToolButton22 = menuUpper = action("ToolButton22Click");

    // Toolbar: each button with its own tip.
    struct Button {
        const char* name;  // "-" a separator
        const char* tip;
    };
    const Button buttons[] = {
        {"New1Click", "新規"}, {"Open1Click", "開く"}, {"ToolButton1", "保存"}, {"-", ""},
        {"Copy1Click", "ｺﾋﾟｰ"}, {"Cut1Click", "切取り"}, {"Paste1Click", "張付け"}, {"-", ""},
        {"Find", "検索"}, {"Reprace", "置換"}, {"FindNext", "次"}, {"-", ""},
        {"RepraceXYZ", "入替え（置換とちゃうんかい？）"}, {"FindMinMax", "極値検索"}, {"ToolButton26Click", "まいどー"},
        {"ToolButton27Click", "マックのハッピーセットー"}, {"-", ""},
        {"Font", "フォント"}, {"ComboBox1", "でかさ"}, {"-", ""},
        {"CalculateClick", "足すとか"}, {"Kaeru", "上下入替え"}, {"OrgChenge", "座標移動"}, {"AfineChehge", "おしえない"},
        {"-", ""},
        {"TBnStrongClick", "最強化（なにが？）"}, {"ToolButton22Click", "大文字化（なんで？）"},
        {"btnSuportInsertClick", "お決まりインサート"}, {"RunNcThear", "ここからPelmora実行"}, {"ToolButton25Click", "電卓"},
    };
    for (const Button& button : buttons) {
        const QString name = QString::fromLatin1(button.name);
        if (name == "-") {
            ToolBar1->addSeparator();
        } else if (name == "ComboBox1") {
            ComboBox1 = new QComboBox(ToolBar1);
            ComboBox1->setObjectName("ComboBox1");
            ComboBox1->setToolTip(button.tip);
            ToolBar1->addWidget(ComboBox1);
        } else if (name == "ToolButton1") {
            // The save button runs the overwrite save but is enabled only while the text is
            // modified (the menu item stays enabled).
            ToolButton1 = new QAction(toolbarIcon(0), button.tip, this);
            ToolButton1->setObjectName("ToolButton1");
            connect(ToolButton1, &QAction::triggered, action("Saveas1Click"), &QAction::trigger);
            ToolBar1->addAction(ToolButton1);
            keepButtonTip(ToolBar1, ToolButton1, button.tip);
        } else {
            placeOnToolBar(name, QString::fromUtf8(button.tip));
        }
    }

    // Context menu of the editor.
    place(PopupMenu1, {"Undo1Click", "Redo1Click"});
    PopupMenu1->addSeparator();
    itemWithCaption(PopupMenu1, action("Copy1Click"), "コピー");
    itemWithCaption(PopupMenu1, action("Cut1Click"), "切り取り");
    itemWithCaption(PopupMenu1, action("Paste1Click"), "貼り付け");
    PopupMenu1->addSeparator();
    place(PopupMenu1, {"PMAddFileClick", "PMInsertFileClick"});
    itemWithCaption(PopupMenu1, action("btnSuportInsertClick"), "おきまりインサート");
    PopupMenu1->addSeparator();
    QMenu* setMark = PopupMenu1->addMenu("しおりを入れる");
    QMenu* goMark = PopupMenu1->addMenu("しおりに移動");
    for (int n = 0; n < 10; ++n) {
        setMark->addAction(setMarkItems[n]);
        goMark->addAction(GoMarkItems[n]);
    }
    PopupMenu1->addSeparator();
    place(PopupMenu1, {"RunNcThear"});
}

}  // namespace zorvan
