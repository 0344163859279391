// The program check in the main window: it follows the editor's change notices and, after a short
// pause, checks the text on a worker (while the window is shown). The findings show as a wavy
// underline on their lines (the messages as the tool tip), a count in the status bar and, with
// the checkable command "チェック一覧", a list beside the editor whose rows put the caret on their
// line. F9 / Shift+F9 go to the next / previous finding; "チェック設定" switches rules on and off.
#include "app/ui/features.h"
#include "app/ui/shell.h"
#include "app/logic/settings_group.h"
#include "check/logic/check_settings.h"
#include "check/ui/check_panel.h"
#include "check/ui/check_settings_dialog.h"
#include "check/ui/check_worker.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace zorvan {

namespace check {

namespace {

// Indicators of the editor for the three severities (8 and up are free for containers).
constexpr int kIndicators[3] = {20, 21, 22};
// Lines underlined at most: the list and the count still tell every finding.
constexpr std::size_t kMostMarks = 20000;
constexpr int kPauseMs = 400;

// Follows the text, runs the worker and shows what it finds.
class CheckController : public QObject {
public:
    CheckController(Shell& shell, CheckPanel* panel)
        : QObject(shell.window()), shell_(shell), panel_(panel), worker_([this](const CheckRun& run) { take(run); })
    {
        setObjectName("CheckController");
        worker_.setOptions(readCheckSettings());
        pause_.setSingleShot(true);
        pause_.setInterval(kPauseMs);
        connect(&pause_, &QTimer::timeout, this, &CheckController::checkNow);
        QsciScintilla* view = shell.view();
        const QColor colours[3] = {QColor(220, 0, 0), QColor(230, 140, 0), QColor(120, 120, 120)};
        for (int i = 0; i < 3; ++i) {
            view->indicatorDefine(i == 2 ? QsciScintilla::DotsIndicator : QsciScintilla::SquiggleIndicator, kIndicators[i]);
            view->setIndicatorForegroundColor(colours[i], kIndicators[i]);
        }
        view->SendScintilla(QsciScintillaBase::SCI_SETMOUSEDWELLTIME, 500);
        connect(view, &QsciScintillaBase::SCN_DWELLSTART, this, [this](int position, int x, int y) { tip(position, x, y); });
        connect(view, &QsciScintillaBase::SCN_DWELLEND, this, [](int, int) { QToolTip::hideText(); });
        if (auto* main = qobject_cast<QMainWindow*>(shell.window())) {
            count_ = new QLabel(main);
            count_->setObjectName("CheckCount");
            main->statusBar()->addPermanentWidget(count_);
        }
        connect(panel_, &CheckPanel::lineClicked, this, [this](int line) { goToLine(line); });
        lines_ = shell.editor().lineCount();
        window_ = shell.window();
        window_->installEventFilter(this);
        pause_.start();
    }

    void textChanged(const TextChange& change)
    {
        const int lines = shell_.editor().lineCount();
        const int delta = lines - lines_;
        lines_ = lines;
        if (change.wholeText || change.load) {
            pending_.whole = true;
        } else if (!pending_.whole) {
            if (!havePending_) {
                pending_ = {false, change.firstLine, change.lastLine, delta};
            } else {
                // Both changes within one range of the newest text.
                int last = pending_.lastLine >= change.firstLine ? pending_.lastLine + std::max(delta, 0) : pending_.lastLine;
                pending_.firstLine = std::min(pending_.firstLine, change.firstLine);
                pending_.lastLine = std::min(std::max(last, change.lastLine), std::max(0, lines - 1));
                pending_.lineDelta += delta;
            }
        }
        havePending_ = true;
        pause_.start();
    }

    // A hidden window (one made for a command run without a display) does not check; it checks
    // when it is shown.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window is compared by the address kept at the start: its events come also while it
        // is taken down, when the shell is gone.
        if (watched == window_ && event->type() == QEvent::Show && havePending_)
            pause_.start();
        return QObject::eventFilter(watched, event);
    }

    void checkNow()
    {
        if (!shell_.window()->isVisible())
            return;
        auto text = std::make_shared<const std::string>(shell_.editor().text());
        worker_.check(std::move(text), pending_);
        pending_ = CheckChange{false, 0, 0, 0};
        havePending_ = false;
    }

    void setOptions(const CheckOptions& options)
    {
        worker_.setOptions(options);
        pending_.whole = true;
        havePending_ = true;
        pause_.start();
    }
    const CheckOptions& options() const { return worker_.options(); }

    void next(bool forward)
    {
        if (findings_.empty()) {
            shell_.setStatusText(3, QStringLiteral("チェックの結果はありません"));
            return;
        }
        TextEditor& editor = shell_.editor();
        const auto caretLine = static_cast<std::uint32_t>(editor.lineFromPosition(editor.caret()));
        const Finding* to = nullptr;
        if (forward) {
            auto it = std::upper_bound(findings_.begin(), findings_.end(), caretLine,
                                       [](std::uint32_t line, const Finding& f) { return line < f.line; });
            to = it == findings_.end() ? &findings_.front() : &*it;
        } else {
            auto it = std::lower_bound(findings_.begin(), findings_.end(), caretLine,
                                       [](const Finding& f, std::uint32_t line) { return f.line < line; });
            to = it == findings_.begin() ? &findings_.back() : &*(it - 1);
        }
        goToLine(static_cast<int>(to->line));
        shell_.setStatusText(3, QString::fromStdString(to->message));
    }

    CheckWorker& worker() { return worker_; }

private:
    void goToLine(int line)
    {
        TextEditor& editor = shell_.editor();
        if (line < 0 || line >= editor.lineCount())
            return;
        editor.setCaret(editor.positionFromLine(line));
        editor.scrollCaretIntoView();
        shell_.view()->setFocus();
        shell_.UpdateStatus();
    }

    void take(const CheckRun& run)
    {
        findings_ = *run.findings;
        panel_->setFindings(findings_, run.stockDone);
        if (count_)
            count_->setText(countText(countFindings(findings_)));
        mark();
    }

    void mark()
    {
        QsciScintilla* view = shell_.view();
        const long length = view->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
        for (int indicator : kIndicators) {
            view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, indicator);
            view->SendScintilla(QsciScintillaBase::SCI_INDICATORCLEARRANGE, 0L, length);
        }
        const int lines = shell_.editor().lineCount();
        std::size_t marked = 0;
        for (std::size_t i = 0; i < findings_.size() && marked < kMostMarks; ++i) {
            const Finding& f = findings_[i];
            // The strongest finding of a line marks it.
            if (i > 0 && findings_[i - 1].line == f.line)
                continue;
            Severity strongest = f.severity();
            for (std::size_t k = i + 1; k < findings_.size() && findings_[k].line == f.line; ++k)
                strongest = std::min(strongest, findings_[k].severity());
            if (static_cast<int>(f.line) >= lines)
                break;
            const long start = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(f.line));
            long end = view->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(f.line));
            if (end <= start)
                end = std::min(length, start + 1);  // an empty line: its break
            if (end <= start)
                continue;
            view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, kIndicators[static_cast<int>(strongest)]);
            view->SendScintilla(QsciScintillaBase::SCI_INDICATORFILLRANGE, start, end - start);
            ++marked;
        }
    }

    void tip(int position, int x, int y)
    {
        if (position < 0)
            return;
        QsciScintilla* view = shell_.view();
        const auto line = static_cast<std::uint32_t>(view->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, position));
        auto it = std::lower_bound(findings_.begin(), findings_.end(), line,
                                   [](const Finding& f, std::uint32_t l) { return f.line < l; });
        QStringList messages;
        for (; it != findings_.end() && it->line == line; ++it)
            messages << QString::fromStdString(it->message) + QStringLiteral(" [%1]").arg(QString::fromLatin1(ruleInfo(it->rule).id));
        if (!messages.isEmpty())
            QToolTip::showText(view->viewport()->mapToGlobal(QPoint(x, y)), messages.join('\n'), view);
    }

    Shell& shell_;
    QObject* window_ = nullptr;
    CheckPanel* panel_;
    CheckWorker worker_;
    QTimer pause_;
    QLabel* count_ = nullptr;
    std::vector<Finding> findings_;
    CheckChange pending_{true, 0, 0, 0};
    bool havePending_ = true;
    int lines_ = 0;
};

bool panelShown()
{
    SettingsGroup group("check");
    return group.store.value("Visible").toString().trimmed() == QLatin1String("1");
}

void rememberPanelShown(bool shown)
{
    SettingsGroup group("check");
    group.store.setValue("Visible", shown ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace

}  // namespace check

void registerCheckFeatures(Shell& shell)
{
    auto* panel = new check::CheckPanel(shell.window());
    shell.addSidePanel(panel);
    auto* controller = new check::CheckController(shell, panel);
    shell.onTextChanged([controller](const TextChange& change) { controller->textChanged(change); });

    const QString toggleName = QStringLiteral("CheckToggle");
    QAction* toggle = shell.addCommand({.name = toggleName, .caption = "チェック一覧", .checkable = true});
    shell.placeInMenu(Shell::Menu::Other, toggleName);
    const bool shown = check::panelShown();
    toggle->setChecked(shown);
    panel->setVisible(shown);
    QObject::connect(toggle, &QAction::toggled, panel, [panel](bool on) {
        panel->setVisible(on);
        check::rememberPanelShown(on);
    });

    shell.addCommand({.name = "CheckNext", .caption = "次のチェック項目", .shortcut = "F9", .run = [controller] { controller->next(true); }});
    shell.placeInMenu(Shell::Menu::Search, "CheckNext");
    shell.addCommand({.name = "CheckPrevious", .caption = "前のチェック項目", .shortcut = "Shift+F9",
                      .run = [controller] { controller->next(false); }});
    shell.placeInMenu(Shell::Menu::Search, "CheckPrevious");

    auto* dialog = new check::CheckSettingsDialog(shell.window());
    shell.addCommand({.name = "CheckSettings", .caption = "チェック設定", .run = [controller, dialog] {
                          dialog->load(controller->options());
                          if (dialog->exec() != QDialog::Accepted)
                              return;
                          const auto options = dialog->chosen(controller->options());
                          if (!options)
                              return;
                          check::writeCheckSettings(*options);
                          controller->setOptions(*options);
                      }});
    shell.placeInMenu(Shell::Menu::Other, "CheckSettings");
}

}  // namespace zorvan
