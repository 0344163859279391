// The desk calculator window "あんい電卓": a display strip over 41 flat button panels, always
// on top and never modal. Keys typed in the window and clicks on the panels go to the engine as
// one-character keys; the window only shows what the engine holds. Closing the window hides
// it, so the engine state survives until the next showing.
#pragma once

#include "calc/logic/calc_engine.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QMenu;

namespace zorvan {

class CalcPanel;

class TFormDentak : public QWidget {
    Q_OBJECT
public:
    explicit TFormDentak(QWidget* parent = nullptr);

    // One key character, as typed or as sent by a button panel.
    void FormKeyPress(char key);
    // A click on a button panel; a sender that is not one of the key panels is ignored.
    void PushButton(QObject* sender);
    // A click on a memory slot panel MemA..MemF.
    void MemAClick(QObject* sender);
    // Pop-up menu of the display: copy the display text, paste a number text.
    void N1Click();
    void N2Click();

    const CalcEngine& engine() const { return engine_; }
    CalcPanel* hoverPanel() const { return HoverPanel; }

protected:
    // Shows a message of the engine; an empty caption means the application's error display.
    virtual void showMessage(const CalcMessage& message);

    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void hideEvent(QHideEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void buildPanels();
    void buildDisplay();
    void buildMenu();
    void refresh();
    void report(const std::optional<CalcMessage>& message);
    CalcPanel* feedbackPanel(const QKeyEvent* event) const;

    void FormKeyDown(QKeyEvent* event);
    void FormKeyUp(QKeyEvent* event);
    void releaseKeyPanels();
    void FormMouseMove(CalcPanel* panel);
    void FormMouseDown(CalcPanel* panel);
    void FormMouseUp(CalcPanel* panel);

    CalcEngine engine_;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    CalcPanel* Psin = nullptr;
    CalcPanel* Pcos = nullptr;
    CalcPanel* Ptan = nullptr;
    QHash<const QObject*, char> keyOfPanel_;  // the key each key panel sends
    QHash<const QObject*, int> slotOfPanel_;  // MemA..MemF: slots 0..5
    QHash<QString, CalcPanel*> panelByName_;
    CalcPanel* HoverPanel = nullptr;  // the panel shown in the hover colour
    QHash<quint64, CalcPanel*> litByKey_;  // panels lit by the keys held down
};

}  // namespace zorvan
