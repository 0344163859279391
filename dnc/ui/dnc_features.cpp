// Sending programs to a control and receiving them, in the file menu's submenu "DNC 通信": the
// port settings, send (the program, or the selected lines) and receive (into a new document or a
// file chosen first). One transfer runs at a time, in the transfer window.
#include "app/logic/colouring.h"
#include "app/logic/document_model.h"
#include "app/logic/file_io.h"
#include "app/logic/user_error.h"
#include "app/ui/byte_markers.h"
#include "app/ui/features.h"
#include "app/ui/operation_runner.h"
#include "app/ui/prompts.h"
#include "app/ui/shell.h"
#include "dnc/logic/outgoing_program.h"
#include "dnc/logic/serial_receiver.h"
#include "dnc/logic/serial_sender.h"
#include "dnc/ui/formdnc.h"
#include "dnc/ui/formtransfer.h"

#include <QAction>
#include <QMenu>

#include <memory>

namespace zorvan {

using namespace dnc;

namespace {

const QString kCaption = QStringLiteral("通信");

void refuseWhileBusy(const TFormTransfer* window)
{
    if (window->busy())
        throw UserError("ほかの送受信が終わるまでお待ちください。", kCaption.toStdString(), UserError::Icon::Warning);
}

// The text to send: the selection, or the whole program; and the number of its first line.
std::pair<std::string, int> textToSend(TextEditor& editor)
{
    if (editor.selectionLength() > 0)
        return {editor.textRange(editor.selectionStart(), editor.selectionLength()),
                editor.lineFromPosition(editor.selectionStart())};
    return {editor.text(), 0};
}

// Many controls refuse bytes outside ASCII (Japanese comments); the user decides.
bool acceptNonAscii(QWidget* parent, const std::vector<int>& lines, int firstLine)
{
    if (lines.empty())
        return true;
    QStringList numbers;
    for (std::size_t i = 0; i < lines.size() && i < 20; ++i)
        numbers << QString::number(lines[i] + firstLine);
    if (lines.size() > 20)
        numbers << "…";
    return prompts().ask(parent, kCaption,
                         QStringLiteral("ASCII 以外の文字 (日本語のコメントなど) を含む行があります: %1\n"
                                        "受け付けない NC も多くあります。このまま送りますか？")
                             .arg(numbers.join(", ")),
                         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning)
           == QMessageBox::Ok;
}

void saveReceived(QWidget* parent, const QString& path, const std::string& bytes)
{
    try {
        writeFileAtomically(path, bytes);
    } catch (const std::exception& e) {
        throw UserError(e.what(), kCaption.toStdString(), UserError::Icon::Critical);
    }
    prompts().ask(parent, kCaption, QStringLiteral("%1 に保存しました (%2 バイト)。").arg(path).arg(bytes.size()),
                  QMessageBox::Ok, QMessageBox::Information);
}

// The received bytes as a new, untitled document, read as a file is; it reads modified until it
// is saved. The changes of the text shown were asked about before the wait; changes made since
// are asked about now. Should the user keep them, the bytes may go to a file, and they are
// never dropped without a last question naming them.
void openReceived(Shell& shell, const std::string& bytes, bool complete, bool changedSinceAsked)
{
    for (bool ask = changedSinceAsked;; ask = true) {
        if (!ask || shell.CheckSaveChanges())
            break;
        const QString path = prompts().saveFileName(shell.window(), "受信したプログラムの保存", {},
                                                    "ncd|*.ncd|txt|*.txt|ぜんぶ|*.*");
        if (!path.isEmpty()) {
            saveReceived(shell.window(), path, bytes);
            return;
        }
        if (prompts().ask(shell.window(), kCaption,
                          QStringLiteral("受信したプログラム (%1 バイト) はどこにも残りません。捨ててよろしいですか？")
                              .arg(bytes.size()),
                          QMessageBox::Yes | QMessageBox::No, QMessageBox::Warning)
            == QMessageBox::Yes)
            return;
    }
    LoadedDocument document = loadDocument(std::string(bytes));
    installByteMarkers(shell.view());
    shell.editor().setText(document.text);  // a load: modified until saved
    shell.document().cleared();
    shell.document().lineEnds = document.lineEnds;
    if (isNcProgram(bytes))
        colouring::ColourAll(shell.editor());
    shell.editor().setCaret(0);
    shell.setDocumentNote(complete ? QString()
                                   : QStringLiteral("受信が途中で終わったプログラムです（終わりの \"%\" が届いていません）"));
    shell.UpdateStatus();
}

void send(Shell& shell, TFormTransfer* window)
{
    refuseWhileBusy(window);
    const DncSettings settings = readDncSettings();
    auto [text, firstLine] = textToSend(shell.editor());
    const std::string lines = documentBytes(text, shell.document().encoding.encoding);
    requireProgram(lines);
    if (!acceptNonAscii(shell.window(), nonAsciiLines(lines), firstLine))
        return;
    window->run(std::make_unique<SerialSender>(frameProgram(lines, settings), settings), "送信", {});
}

// `changedSinceAsked`: whether the text changed since the save question before the wait.
void receive(Shell& shell, TFormTransfer* window, const std::shared_ptr<bool>& changedSinceAsked)
{
    refuseWhileBusy(window);
    const auto answer = prompts().ask(shell.window(), kCaption,
                                      "受信したプログラムをファイルに保存しますか？\n"
                                      "「いいえ」を選ぶと新しい文書として開きます。",
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question);
    if (answer == QMessageBox::Cancel)
        return;
    QString path;
    if (answer == QMessageBox::Yes) {
        path = prompts().saveFileName(shell.window(), "受信したプログラムの保存", {}, "ncd|*.ncd|txt|*.txt|ぜんぶ|*.*");
        if (path.isEmpty())
            return;
    } else if (!shell.CheckSaveChanges()) {
        return;  // the changes shown are asked about before the wait, not after
    }
    *changedSinceAsked = false;
    window->run(std::make_unique<SerialReceiver>(readDncSettings()), "受信", [&shell, path, changedSinceAsked](SerialTransfer& done) {
        const auto& receiver = static_cast<SerialReceiver&>(done);
        if (!path.isEmpty()) {
            saveReceived(shell.window(), path, receiver.bytes());
            return;
        }
        // Opened once no operation is running (a load, a pass), never in the middle of one.
        constexpr int kOpenReceivedCode = 50;
        shell.runner().queue(kOpenReceivedCode, QString(),
                             [&shell, bytes = receiver.bytes(), complete = receiver.complete(), changedSinceAsked] {
                                 openReceived(shell, bytes, complete, *changedSinceAsked);
                             });
    });
}

}  // namespace

void registerDncFeatures(Shell& shell)
{
    auto* settingsDialog = new TFormDnc(shell.window());
    auto* window = new TFormTransfer(shell.window());
    shell.addCommand({.name = "DncSettings", .caption = "通信設定", .run = [settingsDialog] {
                          settingsDialog->prepare();
                          settingsDialog->exec();
                      }});
    shell.addCommand({.name = "DncSend", .caption = "送信", .run = [&shell, window] { send(shell, window); }});
    auto changedSinceAsked = std::make_shared<bool>(false);
    shell.onTextChanged([changedSinceAsked](const TextChange&) { *changedSinceAsked = true; });
    shell.addCommand({.name = "DncReceive", .caption = "受信", .run = [&shell, window, changedSinceAsked] {
                          receive(shell, window, changedSinceAsked);
                      }});
    // Quitting while a transfer runs asks first; a transfer let go on keeps the editor open.
    shell.onClosing([window] { return window->stopAsked(true); });
    QMenu* menu = shell.addFileSubmenu("DNC 通信", "Close1Click");
    for (const char* name : {"DncSend", "DncReceive", "DncSettings"})
        menu->addAction(shell.action(name));
}

}  // namespace zorvan
