// Knowing the program in the main window: the state panel beside the editor ("状態表示" in
// そのた, and shown whenever the preview is), the code help (a tooltip over a word, Ctrl+F1 at the
// caret, "コードの説明") and "プログラム情報". The panel takes the preview's interpretation while
// the preview shows, so a caret move never runs the program again.
#include "app/ui/features.h"
#include "app/ui/shell.h"
#include "inspect/logic/code_help.h"
#include "inspect/logic/program_info.h"
#include "inspect/ui/program_info_form.h"
#include "inspect/ui/state_panel.h"
#include "preview/ui/preview_panel.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QSettings>
#include <QToolTip>

namespace zorvan {

namespace {

// Programs up to this size are worked out on the spot for a tooltip when no interpretation is kept.
constexpr long kHelpRunCharacters = 2'000'000;

QSettings inspectSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
}

// What the code help needs between its calls: an interpretation of its own when none is kept.
struct HelpState {
    std::shared_ptr<const inspect::KeptRun> own;
    bool ownStale = true;
};

std::shared_ptr<const inspect::KeptRun> interpretHere(const std::string& text)
{
    struct Own {
        std::string text;
        preview::Toolpath path;
    };
    auto own = std::make_shared<Own>();
    own->text = text;
    own->path = preview::interpretProgram(own->text);
    auto run = std::make_shared<inspect::KeptRun>();
    run->text = &own->text;
    run->path = &own->path;
    run->owner = std::move(own);
    return run;
}

// The macro variables before `line`, from the kept interpretation of the current text.
preview::MacroVariables variablesBefore(Shell& shell, inspect::StatePanel& panel, HelpState& help, int line)
{
    std::shared_ptr<const inspect::KeptRun> run = panel.isStale() ? nullptr : panel.kept();
    if (!run) {
        if (help.ownStale && shell.editor().length() <= kHelpRunCharacters) {
            help.own = interpretHere(shell.editor().text());
            help.ownStale = false;
        }
        run = help.ownStale ? nullptr : help.own;
    }
    if (!run)
        return {};
    auto states = preview::stateOfLine(*run->text, *run->path, line, run->options);
    return states ? states->variablesBefore : preview::MacroVariables{};
}

QString helpAt(Shell& shell, inspect::StatePanel& panel, HelpState& help, int line, std::size_t byte)
{
    const std::string text = shell.editor().line(line);
    const std::string found =
        inspect::codeHelp(inspect::builtinCodeTable(), text, byte, variablesBefore(shell, panel, help, line));
    return QString::fromStdString(found);
}

}  // namespace

void registerInspectFeatures(Shell& shell)
{
    auto* panel = new inspect::StatePanel(shell.window());
    panel->setVisible(false);
    shell.addSidePanel(panel);
    TextEditor& editor = shell.editor();
    panel->setTextSource([&editor] { return editor.text(); }, [&editor](int line) { return editor.line(line); });
    auto help = std::make_shared<HelpState>();
    shell.onTextChanged([panel, help](const TextChange& change) {
        help->ownStale = true;
        panel->textChanged(change);
    });
    shell.onCaretMoved([panel, &editor] { panel->setCaretLine(editor.lineFromPosition(editor.caret())); });
    panel->setCaretLine(editor.lineFromPosition(editor.caret()));

    // The preview's interpretation, while the preview shows.
    QAction* previewToggle = shell.action(QStringLiteral("PreviewToggle"));
    if (auto* preview = shell.window()->findChild<preview::PreviewPanel*>("PreviewPanel")) {
        panel->setOtherSource([preview] { return preview->isVisible(); });
        auto adopt = [panel, preview] {
            std::shared_ptr<const preview::PreviewModel> model = preview->canvas()->sharedModel();
            if (!model)
                return;
            auto run = std::make_shared<inspect::KeptRun>();
            run->text = &model->text;
            run->path = &model->path;
            run->options.leastIncrement = preview->settings().leastIncrement;
            run->owner = std::move(model);
            panel->adopt(std::move(run));
        };
        QObject::connect(preview, &preview::PreviewPanel::pathReady, panel, adopt);
        adopt();
    }

    const QString name = QStringLiteral("StateView");
    QAction* toggle = shell.addCommand({.name = name, .caption = "状態表示", .checkable = true});
    shell.placeInMenu(Shell::Menu::Other, name);
    QSettings settings = inspectSettings();
    toggle->setChecked(settings.value("inspect/Visible", "0").toString() == "1");
    auto showOrHide = [panel, toggle, previewToggle] {
        panel->setVisible(toggle->isChecked() || (previewToggle && previewToggle->isChecked()));
    };
    showOrHide();
    QObject::connect(toggle, &QAction::toggled, panel, [showOrHide](bool on) {
        showOrHide();
        inspectSettings().setValue("inspect/Visible", on ? "1" : "0");
    });
    if (previewToggle)
        QObject::connect(previewToggle, &QAction::toggled, panel, showOrHide);

    // Code help: over a word after a pause of the mouse, and at the caret on Ctrl+F1.
    QsciScintilla* view = shell.view();
    view->SendScintilla(QsciScintillaBase::SCI_SETMOUSEDWELLTIME, 500);
    QObject::connect(view, &QsciScintillaBase::SCN_DWELLSTART, view, [&shell, panel, help, view](int position, int x, int y) {
        if (position < 0)
            return;
        const int line = static_cast<int>(view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, position));
        const long start = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
        const QString text = helpAt(shell, *panel, *help, line, static_cast<std::size_t>(position - start));
        if (!text.isEmpty())
            QToolTip::showText(view->viewport()->mapToGlobal(QPoint(x, y)), text, view);
    });
    QObject::connect(view, &QsciScintillaBase::SCN_DWELLEND, view, [] { QToolTip::hideText(); });
    shell.addCommand({.name = "CodeHelp", .caption = "コードの説明", .shortcut = "Ctrl+F1", .run = [&shell, panel, help] {
        TextEditor& e = shell.editor();
        const long caret = e.caret();
        const int line = e.lineFromPosition(caret);
        const std::size_t byte = inspect::byteOfColumn(e.line(line), caret - e.positionFromLine(line));
        QString text = helpAt(shell, *panel, *help, line, byte);
        if (text.isEmpty())
            text = QStringLiteral("キャレットの位置にコードがありません");
        QsciScintilla* v = shell.view();
        const long at = v->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
        const QPoint point(static_cast<int>(v->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, at)),
                           static_cast<int>(v->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, at))
                               + v->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, 0));
        QToolTip::showText(v->viewport()->mapToGlobal(point), text, v);
        panel->setProperty("lastHelp", text);
    }});
    shell.placeInMenu(Shell::Menu::Other, "CodeHelp");

    // The program's summary by tool.
    auto* form = new inspect::ProgramInfoForm(shell.window());
    shell.addCommand({.name = "ProgramInfo", .caption = "プログラム情報", .run = [&shell, form] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        inspect::ProgramInfo info;
        try {
            info = inspect::summarizeProgram(shell.editor().text());
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
        form->fill(info);
        form->exec();
    }});
    shell.placeInMenu(Shell::Menu::Other, "ProgramInfo");
}

}  // namespace zorvan
