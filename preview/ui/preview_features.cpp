// The toolpath preview in the main window: the checkable command "パス表示" (menu そのた and the
// toolbar) shows and hides the panel beside the editor; whether it is shown is kept in the
// preview's own settings group. The panel follows the editor's text and caret, and a click on a
// segment puts the caret on its line.
#include "app/ui/features.h"
#include "app/ui/shell.h"
#include "preview/ui/preview_editor_link.h"
#include "preview/ui/preview_panel.h"

#include <QAction>
#include <QPainter>
#include <QPixmap>

namespace zorvan {

namespace {

// A small path: a feed with an arc in green, a dashed rapid.
QIcon previewIcon()
{
    QPixmap pixmap(20, 20);
    pixmap.fill(QColor(235, 240, 235));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 130, 70), 1.6));
    p.drawLine(QPointF(3, 16), QPointF(11, 16));
    p.drawArc(QRectF(6, 6, 10, 10), -90 * 16, 180 * 16);
    p.drawLine(QPointF(11, 6), QPointF(4, 6));
    p.setPen(QPen(QColor(210, 110, 0), 1.2, Qt::DashLine));
    p.drawLine(QPointF(4, 6), QPointF(17, 2));
    return QIcon(pixmap);
}

}  // namespace

void registerPreviewFeatures(Shell& shell)
{
    auto* panel = new preview::PreviewPanel(shell.window());
    panel->setVisible(false);
    shell.addSidePanel(panel);
    preview::linkPreviewToShell(*panel, shell);

    const QString name = QStringLiteral("PreviewToggle");
    QAction* toggle = shell.addCommand({.name = name, .caption = "パス表示", .checkable = true, .icon = previewIcon()});
    shell.placeInMenu(Shell::Menu::Other, name);
    shell.placeOnToolBar(name, "パス表示");
    // Checked as stored before the handler is connected: starting up writes nothing.
    toggle->setChecked(panel->settings().visible);
    panel->setVisible(panel->settings().visible);
    QObject::connect(toggle, &QAction::toggled, panel, [panel](bool on) {
        panel->setVisible(on);
        panel->rememberShown(on);
    });
}

}  // namespace zorvan
