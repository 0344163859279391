// The document: new, open, save, append and insert, the command line, dropped files, the
// simulator hand-off.
#include "app/ui/textform.h"

#include "app/logic/colouring.h"
#include "app/logic/command_line.h"
#include "app/logic/document_file.h"
#include "app/logic/document_merge.h"
#include "app/logic/save_name.h"
#include "app/logic/settings.h"
#include "app/logic/user_error.h"
#include "app/ui/byte_markers.h"
#include "app/ui/prompts.h"
#include "app/ui/recent_files_menu.h"
#include "app/ui/sized_operation.h"

#include <Qsci/qsciscintilla.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QStatusBar>
#include <QUrl>

#include <memory>

namespace zorvan {

namespace {

const QString kFileFilter = QStringLiteral("ncd (*.ncd);;txt (*.txt);;ぜんぶ (*);;dat (*.dat)");
const QString kTitle = QStringLiteral("Zorvan");
const QString kMixedLineEndsNote = QStringLiteral("改行コードが混在しています（保存すると CR LF にそろえます）");

// Each file dialog keeps its last file name between uses.
QString lastOpenName;
QString lastSaveName;

QString askOpenName(QWidget* parent, const QString& preset)
{
    QString path = prompts().openFileName(parent, QStringLiteral("開く"), preset, kFileFilter);
    if (!path.isEmpty())
        lastOpenName = path;
    return path;
}

QString askSaveName(QWidget* parent, const QString& preset)
{
    const QString chosen = prompts().saveFileName(parent, QStringLiteral("名前を付けて保存"), preset, kFileFilter);
    // A name that exists as typed is the one chosen (programs are often named "O1001" with no
    // extension); a new name without extension gets ".ncd".
    QString path = QFileInfo::exists(chosen) ? chosen : withDefaultSuffix(chosen);
    // The dialog asked about the name as typed; the file the extension leads to may exist.
    if (path != chosen && QFileInfo::exists(path)
        && prompts().ask(parent, QStringLiteral("確認"), QStringLiteral("%1 は既にあります。\n上書きしますか").arg(path),
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning)
            != QMessageBox::Yes)
        return {};
    if (!path.isEmpty())
        lastSaveName = path;
    return path;
}

QStringList localFiles(const QMimeData* data)
{
    QStringList paths;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
    return paths;
}

// Drops on the editor reach its viewport, which would insert the file names as text.
class FileDropFilter : public QObject {
public:
    explicit FileDropFilter(TFormText* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (localFiles(drag->mimeData()).isEmpty())
                break;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            QStringList paths = localFiles(drop->mimeData());
            if (paths.isEmpty())
                break;
            drop->acceptProposedAction();
            runGuarded(form_, [&] { form_->DropFiles(paths); });
            return true;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TFormText* form_;
};

void launchSimulator(TFormText& form, bool fromCaretLine)
{
    if (!form.CheckSaveChanges())
        return;
    if (form.document().modified() || form.DocPath.isEmpty())
        return;
    std::optional<int> line;
    if (fromCaretLine)
        line = form.editor().lineFromPosition(form.editor().caret());
    const QString program = QString::fromStdString(programSettings().SimulatorPath);
    if (!QProcess::startDetached(program, simulatorArguments(form.DocPath, line))) {
            // Shown here rather than thrown: the handler is also called directly (the simulator's
        // forwarders), and the editor stays either way.
        showUserError(&form, UserError(QStringLiteral("%1 を起動できません。\n「Pelmoraとか」でシミュレーターの場所を確かめてください。")
                                           .arg(program).toStdString(),
                                       kTitle.toStdString(), UserError::Icon::Warning));
        return;
    }
    form.close();
}

}  // namespace

void TFormText::New1Click()
{
    if (mustWait()) {
        whenNoOperation([this] { New1Click(); });
        return;
    }
    if (!CheckSaveChanges())
        return;
    editor_->setText("");
    editor_->setModified(false);
    document_.cleared();
    StatusNote->clear();
    setWindowTitle(document_.title());
    UpdateStatus();
}

void TFormText::Open1Click()
{
    if (mustWait()) {
        whenNoOperation([this] { Open1Click(); });
        return;
    }
    if (!CheckSaveChanges())
        return;
    QString path = askOpenName(this, DocPath);
    if (!path.isEmpty())
        StartOpen(path);
}

// Writes the text to `path` in `encoding`; only a complete write makes it the document's path and
// encoding and clears the modified flag.
static void saveDocumentAs(TFormText& form, const QString& path, FileEncoding encoding)
{
    saveDocumentFile(path, form.editor().text(), form.document().lineEnds, encoding);
    form.document().savedAs(path);
    form.document().encoding = encoding;
    form.StatusNote->clear();
    form.recentFiles->remember(path);
    form.setWindowTitle(form.document().title());
    form.editor().setModified(false);
    form.UpdateStatus();
}

void TFormText::Save1Click()
{
    QString path = askSaveName(this, DocPath);
    if (!path.isEmpty())
        saveDocumentAs(*this, path, document_.encoding);
}

void TFormText::Saveas1Click()
{
    QString path = DocPath.isEmpty() ? askSaveName(this, lastSaveName) : DocPath;
    if (!path.isEmpty())
        saveDocumentAs(*this, path, document_.encoding);
}

void TFormText::SaveInEncoding(FileEncoding encoding)
{
    QString path = askSaveName(this, DocPath);
    if (!path.isEmpty())
        saveDocumentAs(*this, path, encoding);
}

void TFormText::ReopenInEncoding(Encoding encoding)
{
    if (DocPath.isEmpty()) {
        statusBar()->showMessage(QStringLiteral("開き直すファイルがありません"), 4000);
        return;
    }
    if (mustWait()) {
        whenNoOperation([this, encoding] { ReopenInEncoding(encoding); });
        return;
    }
    if (!CheckSaveChanges())
        return;
    StartOpen(DocPath, encoding);
}

void TFormText::OpenFromCommandLine()
{
    std::optional<CommandLineOpen> open = parseCommandLine(commandLineArguments);
    if (!open)
        return;
    if (open->caret)
        PendingCaret = *open->caret;
    StartOpen(open->path);
}

void TFormText::StartOpen(const QString& path, std::optional<Encoding> encoding)
{
    document_.beginLoad(path, encoding);
    runner_->start(OperationRunner::Load);
}

// A read failure names the file under the window's title, with the critical icon.
static std::string readLoadFile(const QString& path)
{
    try {
        return readDocumentFile(path);
    } catch (const UserError& e) {
        throw UserError(e.what(), kTitle.toStdString(), UserError::Icon::Critical);
    }
}

void TFormText::LoadDocument()
{
    std::string bytes;
    try {
        bytes = readLoadFile(DocPath);
    } catch (const UserError&) {
        // The previous text stays, and with it its path and title, so an overwrite-save cannot
        // put it into the file that failed.
        document_.loadFailed();
        throw;
    }
    const FileEncoding encoding = detectEncoding(bytes, document_.loadEncoding);
    const std::string_view text = withoutMark(bytes, encoding);
    // Decoded piece by piece straight into the editor, so a big file is never held twice.
    const bool ncProgram = isNcProgram(text);
    showLoaded(
        lineEndsOf(text), encoding,
        [&] {
            editor_->loadText([text, encoding](const TextEditor::LoadSink& sink) { readDocument(text, sink, 1 << 20, encoding.encoding); },
                              bytes.size() + bytes.size() / 16 + 64);
            if (ncProgram)
                ColourAll();
        },
        !ncProgram);
}

OperationRunner::Background TFormText::PrepareLoad()
{
    // The path is read when the load's turn comes, so quick loads in a row all read the last one.
    const QString path = DocPath;
    const std::optional<Encoding> chosen = document_.loadEncoding;
    return [this, path, chosen](OperationTask& task) -> OperationRunner::Work {
        std::string bytes = readLoadFile(path);
        task.progress(1, 3);
        LoadedDocument loaded = loadDocument(std::move(bytes), chosen);
        task.progress(2, 3);
        // The colours are worked out here too; the window's thread only puts text and colours
        // into the new document, a slice at a time.
        const bool ncProgram = isNcProgram(loaded.text);
        auto coloured = std::make_shared<colouring::ColouredLoad>(colouring::ColourForLoad(std::move(loaded.text), ncProgram));
        task.progress(3, 3);
        return [this, coloured, ncProgram, lineEnds = loaded.lineEnds, encoding = loaded.encoding] {
            showLoaded(
                lineEnds, encoding,
                [&] { colouring::LoadColoured(*editor_, std::move(*coloured)); },
                !ncProgram);
        };
    };
}

void TFormText::showLoaded(LineEnds lineEnds, FileEncoding encoding, const std::function<void()>& load, bool colourCaretLine)
{
    load();
    document_.loaded(lineEnds, encoding);
    StatusNote->setText(document_.lineEnds == LineEnds::Mixed ? kMixedLineEndsNote : QString());
    recentFiles->remember(DocPath);
    setWindowTitle(document_.title());
    installByteMarkers(Memo1);
    if (colourCaretLine)
        ColourCaretLine();
    editor_->setModified(false);
    setStatusText(3, QString());
    UpdateStatus();
    editor_->setCaret(PendingCaret);
    editor_->scrollCaretIntoView();
    PendingCaret = 0;
    UpdateStatus();
}

void TFormText::MergeFile(const QString& path, int mode)
{
    if (mode != 1 && mode != 2)
        return;
    // The file is read and decoded on a worker when it is long; its lines go in as one edit.
    constexpr int kMergeCode = 4;
    const bool atOnce = QFileInfo(path).size() <= kShortTextCharacters;
    const QString caption = mode == 1 ? QStringLiteral("付足し中") : QStringLiteral("挿入中");
    queueSized(*runner_, kMergeCode, caption, atOnce, [this, path, mode]() -> OperationRunner::Background {
        return [this, path, mode](OperationTask& task) -> OperationRunner::Work {
            std::string bytes;
            try {
                bytes = readDocumentFile(path);
            } catch (const UserError& e) {
                throw UserError(e.what(), kTitle.toStdString(), UserError::Icon::Critical);
            }
            task.progress(1, 3);
            auto pieces = std::make_shared<std::vector<std::string>>(readMergePieces(bytes));
            task.progress(2, 3);
            return [this, pieces, mode] {
                installByteMarkers(Memo1);
                // The whole-text colouring goes in with the new lines. The caret's line is then
                // coloured as after any edit, so the whole-text pass goes over it once more.
                mergeColouringAll(*editor_, std::move(*pieces), mode == 1 ? MergeMode::Append : MergeMode::InsertAtCaretLine,
                                  colouring::WholeTextRuns);
                colouring::ColourAllOfLine(*editor_, editor_->lineFromPosition(editor_->selectionStart()));
                editor_->setCaret(editor_->caret());  // a merge leaves no selection
                editor_->scrollCaretIntoView();
                setStatusText(3, QString());
                UpdateStatus();
                PendingCaret = 0;
            };
        };
    });
}

void TFormText::PMAddFileClick()
{
    QString path = askOpenName(this, lastOpenName);
    if (!path.isEmpty())
        MergeFile(path, 1);
}

void TFormText::PMInsertFileClick()
{
    QString path = askOpenName(this, lastOpenName);
    if (!path.isEmpty())
        MergeFile(path, 2);
}

void TFormText::DropFiles(const QStringList& paths)
{
    if (mustWait()) {
        // Asked about and opened once the operations have ended, never in the middle of one.
        whenNoOperation([this, paths] { DropFiles(paths); });
        return;
    }
    for (const QString& path : paths) {
        if (!CheckSaveChanges())
            return;
        StartOpen(path);
    }
}

void TFormText::installFileDrops()
{
    setAcceptDrops(true);
    Memo1->viewport()->installEventFilter(new FileDropFilter(this));
}

void TFormText::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TFormText::dropEvent(QDropEvent* event)
{
    QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    runGuarded(this, [&] { DropFiles(paths); });
}

void TFormText::RunNcExecute() { launchSimulator(*this, false); }

void TFormText::RunNcThearExecute() { launchSimulator(*this, true); }

}  // namespace zorvan
