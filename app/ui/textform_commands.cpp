// The main window's command surface in one table: menu bar, toolbar, actions, context menu.
#include "app/ui/textform.h"

#include "app/ui/prompts.h"
#include "app/ui/toolbar_icons.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <functional>
#include <set>

namespace zorvan {

namespace {

using Handler = std::function<void(TFormText&, QAction*)>;

template <void (TFormText::*method)()> Handler call()
{
    return [](TFormText& form, QAction*) { (form.*method)(); };
}

// Commands whose work is built later: shown, but disabled so that no item pretends to work.
const std::set<QString>& notYetBuilt()
{
    static const std::set<QString> names = {
        "btnSuportInsertClick", "Find", "Reprace", "FindNext", "RepraceXYZ", "FindMinMax",
        "ToolButton26Click", "ToolButton27Click",
    };
    return names;
}

struct Command {
    const char* name;     // handler or action name
    const char* caption;  // menu caption, or the action's caption and hint
    const char* shortcut;
    int image;  // toolbar image index, -1 none
    Handler run;
};

const std::vector<Command>& commandTable()
{
    static const std::vector<Command> table = {
        {"New1Click", "新規作成", "", 15, call<&TFormText::New1Click>()},
        {"Open1Click", "開く", "", 7, call<&TFormText::Open1Click>()},
        {"Save1Click", "保存", "", 0, call<&TFormText::Save1Click>()},
        {"Saveas1Click", "上書き保存", "", 0, call<&TFormText::Saveas1Click>()},
        {"Close1Click", "終了", "Alt+X", -1, call<&TFormText::Close1Click>()},
        {"Cut1Click", "切り取り", "Ctrl+X", 2, call<&TFormText::Cut1Click>()},
        {"Copy1Click", "ｺﾋﾟｰ", "Ctrl+C", 1, call<&TFormText::Copy1Click>()},
        {"Paste1Click", "張り付け", "Ctrl+V", 3, call<&TFormText::Paste1Click>()},
        {"SelectAll1Click", "Select All", "Ctrl+A", -1, call<&TFormText::SelectAll1Click>()},
        {"btnSuportInsertClick", "お決まりインサート", "", 17, call<&TFormText::btnSuportInsertClick>()},
        {"Find", "検索", "Ctrl+F", 4, call<&TFormText::Find>()},
        {"Reprace", "置換", "Ctrl+R", 5, call<&TFormText::Reprace>()},
        {"FindNext", "次を再開", "F3", 6, call<&TFormText::FindNext>()},
        {"RepraceXYZ", "入れ替え", "", 10, call<&TFormText::RepraceXYZ>()},
        {"FindMinMax", "極値検索", "", 9, call<&TFormText::FindMinMax>()},
        {"ToolButton26Click", "まいどー", "", 21, call<&TFormText::ToolButton26Click>()},
        {"ToolButton27Click", "マックのハッピーセット", "", 22, call<&TFormText::ToolButton27Click>()},
        {"CalculateClick", "けいさん", "", 19, call<&TFormText::CalculateClick>()},
        {"Kaeru", "かえる", "", 11, call<&TFormText::Kaeru>()},
        {"About1Click", "バージョン情報", "", -1, call<&TFormText::About1Click>()},
        {"Pelmora1Click", "Pelmoraとか", "", -1, call<&TFormText::Pelmora1Click>()},
        {"TBnStrongClick", "最強化", "", 14, [](TFormText& f, QAction* a) { f.TBnStrongClick(a); }},
        {"ToolButton22Click", "大文字化", "", 16, [](TFormText& f, QAction* a) { f.ToolButton22Click(a); }},
        {"ToolButton25Click", "電卓", "", 20, call<&TFormText::ToolButton25Click>()},
        {"Font", "フォント", "", 8, call<&TFormText::Font>()},
        {"PMAddFileClick", "ﾌｧｲﾙを付足す", "", -1, call<&TFormText::PMAddFileClick>()},
        {"PMInsertFileClick", "ｶｰｿﾙ位置にﾌｧｲﾙ挿入", "", -1, call<&TFormText::PMInsertFileClick>()},
        // The action list: one action each, placed in several places.
        {"RunNc", "RunNc", "Ctrl+Alt+K", 18, call<&TFormText::RunNcExecute>()},
        {"RunNcThear", "ここからNc実行", "Ctrl+Alt+C", 18, call<&TFormText::RunNcThearExecute>()},
        {"OrgChenge", "座標移動", "", 12, call<&TFormText::OrgChengeExecute>()},
        {"AfineChehge", "おしえない(軸回転)", "", 13, call<&TFormText::AfineChehgeExecute>()},
    };
    return table;
}

const Command& commandNamed(const QString& name)
{
    for (const auto& command : commandTable())
        if (name == QLatin1String(command.name))
            return command;
    throw std::logic_error("no command " + name.toStdString());
}

}  // namespace

// Builds QActions for the table's placements; every placement of one command runs its handler
// through the standard error display.
class TextFormCommandTable {
public:
    explicit TextFormCommandTable(TFormText& form) : form_(form) {}

    // A QAction for `name` with its own caption (menus and toolbar differ in wording).
    QAction* make(const QString& name, const QString& caption, bool withShortcut, bool withIcon)
    {
        const Command& command = commandNamed(name);
        auto* action = new QAction(caption, &form_);
        action->setObjectName(name);
        if (withShortcut && *command.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        if (withIcon && command.image >= 0)
            action->setIcon(toolbarIcon(command.image));
        action->setEnabled(!notYetBuilt().count(name));
        Handler run = command.run;
        TFormText* form = &form_;  // the table itself lives only while the window is built
        QObject::connect(action, &QAction::triggered, form, [form, run, action] {
            runGuarded(form, [&] { run(*form, action); });
        });
        return action;
    }

    // The shared action of the action list (created once).
    QAction* shared(const QString& name)
    {
        auto it = shared_.find(name);
        if (it != shared_.end())
            return it->second;
        const Command& command = commandNamed(name);
        QAction* action = make(name, QString::fromUtf8(command.caption), true, true);
        action->setToolTip(QString::fromUtf8(command.caption));
        form_.addAction(action);  // so that its shortcut works without any menu item
        form_.addCommand(name, action);
        shared_[name] = action;
        return action;
    }

    QAction* menuItem(QMenu* menu, const QString& name)
    {
        const Command& command = commandNamed(name);
        QAction* action = make(name, QString::fromUtf8(command.caption), true, false);
        menu->addAction(action);
        form_.addCommand(name, action);
        return action;
    }

    QAction* toolButton(const QString& name, const QString& tip)
    {
        QAction* action = make(name, tip, false, true);
        action->setToolTip(tip);
        form_.ToolBar1->addAction(action);
        form_.addCommand(name + "#tool", action);
        return action;
    }

private:
    TFormText& form_;
    std::map<QString, QAction*> shared_;
};

void TFormText::addCommand(const QString& name, QAction* action)
{
    actions_.emplace(name, action);
}

QAction* TFormText::action(const QString& name) const
{
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TFormText::buildCommands()
{
    TextFormCommandTable table(*this);

    // Menu bar.
    ChildMenu1 = menuBar();
    QMenu* file = ChildMenu1->addMenu("ﾌｧｲﾙ(&F)");
    for (const char* name : {"New1Click", "Open1Click", "Save1Click", "Saveas1Click"})
        table.menuItem(file, name);
    file->addSeparator();
    table.menuItem(file, "Close1Click");

    QMenu* edit = ChildMenu1->addMenu("編集(&E)");
    for (const char* name : {"Cut1Click", "Copy1Click", "Paste1Click"})
        table.menuItem(edit, name);
    edit->addSeparator();
    table.menuItem(edit, "SelectAll1Click");
    edit->addSeparator();
    table.menuItem(edit, "btnSuportInsertClick");

    QMenu* search = ChildMenu1->addMenu("検索(&S)");
    for (const char* name : {"Find", "Reprace", "FindNext"})
        table.menuItem(search, name);
    search->addSeparator();
    for (const char* name : {"RepraceXYZ", "FindMinMax", "ToolButton26Click", "ToolButton27Click"})
        table.menuItem(search, name);
    search->addSeparator();
    table.menuItem(search, "CalculateClick");
    table.menuItem(search, "Kaeru");
    search->addAction(table.shared("OrgChenge"));
    search->addAction(table.shared("AfineChehge"));

    QMenu* other = ChildMenu1->addMenu("そのた");
    table.menuItem(other, "About1Click");
    table.menuItem(other, "Pelmora1Click");
    other->addSeparator();
    menuStrong = table.menuItem(other, "TBnStrongClick");
    menuStrong->setCheckable(true);
    menuUpper = table.menuItem(other, "ToolButton22Click");
    menuUpper->setCheckable(true);
    other->addSeparator();
    other->addAction(table.shared("RunNcThear"));
    table.menuItem(other, "ToolButton25Click");
    table.shared("RunNc");  // keyboard only

    // Toolbar.
    table.toolButton("New1Click", "新規");
    table.toolButton("Open1Click", "開く");
    ToolButton1 = table.toolButton("Saveas1Click", "保存");
    ToolBar1->addSeparator();
    table.toolButton("Copy1Click", "ｺﾋﾟｰ");
    table.toolButton("Cut1Click", "切取り");
    table.toolButton("Paste1Click", "張付け");
    ToolBar1->addSeparator();
    table.toolButton("Find", "検索");
    table.toolButton("Reprace", "置換");
    table.toolButton("FindNext", "次");
    ToolBar1->addSeparator();
    table.toolButton("RepraceXYZ", "入替え（置換とちゃうんかい？）");
    table.toolButton("FindMinMax", "極値検索");
    table.toolButton("ToolButton26Click", "まいどー");
    table.toolButton("ToolButton27Click", "マックのハッピーセットー");
    ToolBar1->addSeparator();
    table.toolButton("Font", "フォント");
    ComboBox1 = new QComboBox(ToolBar1);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setToolTip("でかさ");
    ToolBar1->addWidget(ComboBox1);
    ToolBar1->addSeparator();
    table.toolButton("CalculateClick", "足すとか");
    table.toolButton("Kaeru", "上下入替え");
    ToolBar1->addAction(table.shared("OrgChenge"));
    QAction* rotate = table.shared("AfineChehge");
    ToolBar1->addAction(rotate);
    ToolBar1->addSeparator();
    TBnStrong = table.toolButton("TBnStrongClick", "最強化（なにが？）");
    TBnStrong->setCheckable(true);
    ToolButton22 = table.toolButton("ToolButton22Click", "大文字化（なんで？）");
    ToolButton22->setCheckable(true);
    table.toolButton("btnSuportInsertClick", "お決まりインサート");
    QAction* runHere = table.shared("RunNcThear");
    ToolBar1->addAction(runHere);
    table.toolButton("ToolButton25Click", "電卓");
    // Buttons that share an action show their own hint where it differs from the action's.
    if (QWidget* button = ToolBar1->widgetForAction(rotate))
        button->setToolTip("おしえない");
    if (QWidget* button = ToolBar1->widgetForAction(runHere))
        button->setToolTip("ここからPelmora実行");

    // Context menu of the editor.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* copy = table.make("Copy1Click", "コピー", false, false);
    QAction* cut = table.make("Cut1Click", "切り取り", false, false);
    QAction* paste = table.make("Paste1Click", "貼り付け", false, false);
    PopupMenu1->addActions({copy, cut, paste});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(table.make("PMAddFileClick", "ﾌｧｲﾙを付足す", false, false));
    PopupMenu1->addAction(table.make("PMInsertFileClick", "ｶｰｿﾙ位置にﾌｧｲﾙ挿入", false, false));
    PopupMenu1->addAction(table.make("btnSuportInsertClick", "おきまりインサート", false, false));
    PopupMenu1->addSeparator();
    QMenu* setMark = PopupMenu1->addMenu("しおりを入れる");
    QMenu* goMark = PopupMenu1->addMenu("しおりに移動");
    for (int n = 0; n < 10; ++n) {
        QAction* set = setMark->addAction(QString("しおり%1").arg(n));
        set->setObjectName(QString("NBookmark%1").arg(n));
        connect(set, &QAction::triggered, this, [this, n] { runGuarded(this, [&] { NBookmark9Click(n); }); });
        setMarkItems[n] = set;
        QAction* go = goMark->addAction(QString("しおり%1").arg(n));
        go->setObjectName(QString("NGoBookmark%1").arg(n));
        connect(go, &QAction::triggered, this, [this, n] { runGuarded(this, [&] { NGoBookmark9Click(n); }); });
        GoMarkItems[n] = go;
        addCommand(set->objectName(), set);
        addCommand(go->objectName(), go);
    }
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(table.shared("RunNcThear"));
}

}  // namespace zorvan
