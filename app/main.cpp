// zorvan: the editor. Shows the splash, creates the main window with its dialogs, and runs the
// event loop; the splash hands the command line to the main window one second after it showed.
#include "app/ui/desktop_setup.h"
#include "app/ui/formopen.h"
#include "app/ui/prompts.h"
#include "app/ui/textform.h"

#include <QApplication>
#include <QSessionManager>

namespace {

// Catches what escapes an event handler outside the command table, shows it, and goes on.
class ZorvanApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            zorvan::showUserError(nullptr, e);
            return false;
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    ZorvanApplication app(argc, argv);
    QApplication::setApplicationName("Zorvan");
    QApplication::setOrganizationName("Kw");
    // No display name: the window system would append " — Zorvan" to every window title.
    zorvan::setUpDesktop(app);
    try {
        zorvan::TOpenForm splash;
        splash.show();
        zorvan::TFormText main;
        main.OpenForm = &splash;
        main.commandLineArguments = QApplication::arguments().mid(1);
        QObject::connect(&main, &zorvan::TFormText::firstShown, &splash,
                         [&] { splash.FormDeactivate(&main); });
        // The program ends with its main window, whatever else is still shown (the splash).
        QObject::connect(&main, &zorvan::TFormText::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        // A session that ends closes the window as Alt+X does: the running operation is
        // cancelled and the changes are asked about; while the window stays the session waits.
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &main, [&main](QSessionManager& manager) {
            if (!main.isVisible() || !manager.allowsInteraction())
                return;
            const bool closed = main.close();
            manager.release();
            if (!closed)
                manager.cancel();
        });
        main.show();
        app.exec();
    } catch (const std::exception& e) {
        zorvan::showUserError(nullptr, e);
    }
    return 0;
}
