#include "calc/ui/dentakform.h"

#include "app/logic/user_error.h"
#include "app/ui/prompts.h"

#include "calc/logic/calc_text.h"
#include "calc/logic/key_feedback.h"
#include "calc/ui/calcpanel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>

#include <algorithm>

namespace zorvan {

namespace {

struct PanelLayout {
    const char* name;
    const char* caption;
    int left, top, width, height;
    const char* hint;
    int key;  // sent by a click; kSlotPanel for the memory slot panels
};

constexpr int kSlotPanel = -1;

// The button panels, in the order of their places on the window.
const PanelLayout kPanels[] = {
    {"Pinv", "inv", 8, 32, 33, 16, "i", 'i'},
    {"MemA", "ma", 48, 32, 25, 16, "メモリー", kSlotPanel},
    {"MemB", "mb", 75, 32, 25, 16, "メモリー", kSlotPanel},
    {"MemC", "mc", 102, 32, 25, 16, "メモリー", kSlotPanel},
    {"MemD", "md", 129, 32, 25, 16, "メモリー", kSlotPanel},
    {"MemE", "me", 156, 32, 25, 16, "メモリー", kSlotPanel},
    {"MemF", "mf", 183, 32, 25, 16, "メモリー", kSlotPanel},
    {"Pmp", "M+", 8, 55, 33, 25, "", calckey::MPlus},
    {"Pmm", "M-", 48, 55, 33, 25, "", calckey::MMinus},
    {"Pmin", "Min", 88, 55, 33, 25, "", calckey::Min},
    {"Pmc", "MC", 128, 55, 33, 25, "", calckey::MC},
    {"Pmret", "MR", 168, 55, 33, 25, "", calckey::MR},
    {"Psin", "sin", 8, 88, 33, 24, "s (inv asin)", 's'},
    {"Pcos", "cos", 48, 88, 33, 24, "c (inv acos)", 'c'},
    {"Ptan", "tan", 88, 87, 33, 25, "t (inv atan)", 't'},
    {"Pcms", "ﾟ ' ''", 128, 87, 33, 25, "度分秒入力(inv表示)", calckey::Dms},
    {"Pxx", "X ", 8, 120, 33, 24, "e", 'e'},
    {"Proot", "√", 48, 120, 33, 24, "r", 'r'},
    {"Pgak", "1/X", 88, 119, 33, 25, "x", 'x'},
    {"PIPow", "√", 128, 120, 33, 24, "r", 'u'},
    {"Ppow", "X ", 168, 119, 33, 25, "~", 'o'},
    {"P7", "7", 8, 160, 33, 25, "", '7'},
    {"P8", "8", 48, 160, 33, 25, "", '8'},
    {"P9", "9", 88, 160, 33, 25, "", '9'},
    {"Pc", "C", 128, 160, 33, 25, "z", 'z'},
    {"Pac", "AC", 168, 160, 33, 25, "Esc", calckey::Esc},
    {"P4", "4", 8, 192, 33, 25, "", '4'},
    {"P5", "5", 48, 192, 33, 25, "", '5'},
    {"P6", "6", 88, 192, 33, 25, "", '6'},
    {"Pkake", "*", 128, 192, 33, 25, "", '*'},
    {"Pwari", "/", 168, 192, 33, 25, "", '/'},
    {"P1", "1", 8, 224, 33, 25, "", '1'},
    {"P2", "2", 48, 224, 33, 25, "", '2'},
    {"P3", "3", 88, 224, 33, 25, "", '3'},
    {"Pp", "+", 128, 224, 33, 25, "", '+'},
    {"Pm", "-", 168, 224, 33, 25, "", '-'},
    {"P0", "0", 8, 256, 33, 25, "", '0'},
    {"Pfugo", "+/-", 48, 256, 33, 25, "\\", '\\'},
    {"Pdot", ".", 88, 256, 33, 25, "", '.'},
    {"Ppai", "π", 128, 256, 33, 25, "p", 'p'},
    {"Pret", "=", 168, 256, 33, 25, "", '='},
};

QFont pixelFont(const QFont& base, int pixels)
{
    QFont f = base;
    f.setPixelSize(pixels);
    return f;
}

// A raised exponent on a panel ("2" of X², "n" of Xⁿ): a smaller font than the caption's puts its
// baseline well above the caption's, and it lets the mouse through to the panel.
QLabel* addMark(QWidget* panel, const char* text, int left, int top)
{
    constexpr int kMarkPixels = 9;
    auto* label = new QLabel(QString::fromUtf8(text), panel);
    label->setFont(pixelFont(panel->font(), kMarkPixels));
    label->move(left, top);
    label->adjustSize();
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

}  // namespace

TFormDentak::TFormDentak(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                  | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("FormDentak");
    setWindowTitle(QString::fromUtf8("あんい電卓"));
    setFixedSize(210, 287);
    move(459, 171);
    QFont font;
    font.setFamilies({QString::fromUtf8("ＭＳ Ｐゴシック"), "MS PGothic", "Noto Sans CJK JP"});
    font.setPixelSize(12);
    setFont(font);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));  // silver
    setPalette(p);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    // Closing only hides the window: the main window keeps this one instance for the whole run.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_QuitOnClose, false);

    buildDisplay();
    buildPanels();
    buildMenu();
    refresh();
}

void TFormDentak::buildDisplay()
{
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(0, 0, width(), 25);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setFont(pixelFont(font(), 19));
    Label1->setAutoFillBackground(true);
    QPalette p = Label1->palette();
    p.setColor(QPalette::Window, Qt::white);
    Label1->setPalette(p);
    Label1->setContextMenuPolicy(Qt::CustomContextMenu);

    Label2 = new QLabel(Label1);
    Label2->setObjectName("Label2");
    Label2->setGeometry(0, 0, 60, 25);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label2->setFont(pixelFont(font(), 13));
    Label2->setAttribute(Qt::WA_TransparentForMouseEvents);

    Label3 = new QLabel(this);
    Label3->setObjectName("Label3");
    Label3->move(176, 96);
}

void TFormDentak::buildPanels()
{
    for (const PanelLayout& place : kPanels) {
        auto* panel = new CalcPanel(QString::fromUtf8(place.caption), this);
        panel->setObjectName(place.name);
        panel->setGeometry(place.left, place.top, place.width, place.height);
        if (*place.hint)
            panel->setToolTip(QString::fromUtf8(place.hint));
        panelByName_.insert(place.name, panel);
        if (place.key == kSlotPanel)
            slotOfPanel_.insert(panel, static_cast<int>(slotOfPanel_.size()));
        else
            keyOfPanel_.insert(panel, static_cast<char>(place.key));
        connect(panel, &CalcPanel::mouseMoved, this, &TFormDentak::FormMouseMove);
        connect(panel, &CalcPanel::mousePressed, this, &TFormDentak::FormMouseDown);
        connect(panel, &CalcPanel::mouseReleased, this, &TFormDentak::FormMouseUp);
        connect(panel, &CalcPanel::clicked, this, [this](CalcPanel* clicked) {
            if (slotOfPanel_.contains(clicked))
                MemAClick(clicked);
            else
                PushButton(clicked);
        });
    }
    Psin = panelByName_.value("Psin");
    Pcos = panelByName_.value("Pcos");
    Ptan = panelByName_.value("Ptan");

    panelByName_.value("Pcms")->setFont(pixelFont(font(), 15));
    for (const auto& [name, colour] : {std::pair{"Pc", Qt::blue}, std::pair{"Pac", Qt::red}}) {
        CalcPanel* panel = panelByName_.value(name);
        QPalette p = panel->palette();
        p.setColor(QPalette::WindowText, colour);
        panel->setPalette(p);
    }
    addMark(panelByName_.value("Pxx"), "2", 20, 2)->setObjectName("Label4");
    addMark(panelByName_.value("Ppow"), "n", 20, 0)->setObjectName("Label5");
    addMark(panelByName_.value("PIPow"), "n", 4, 0)->setObjectName("Label6");
}

void TFormDentak::buildMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* N1 = PopupMenu1->addAction(QString::fromUtf8("コピー"), this, &TFormDentak::N1Click);
    N1->setObjectName("N1");
    N1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction* N2 = PopupMenu1->addAction(QString::fromUtf8("貼り付け"), this, &TFormDentak::N2Click);
    N2->setObjectName("N2");
    N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    // The shortcuts also work while the calculator is the active window.
    addAction(N1);
    addAction(N2);
    connect(Label1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { PopupMenu1->popup(Label1->mapToGlobal(pos)); });
}

void TFormDentak::refresh()
{
    Label1->setText(QString::fromStdString(engine_.displayText()));
    Label2->setText(QString::fromStdString(engine_.indicatorText()));
    Label3->setText(QString::fromStdString(engine_.keyCodeText()));
    Label3->adjustSize();
    Psin->setText(QString::fromStdString(engine_.sinCaption()));
    Pcos->setText(QString::fromStdString(engine_.cosCaption()));
    Ptan->setText(QString::fromStdString(engine_.tanCaption()));
}

void TFormDentak::report(const std::optional<CalcMessage>& message)
{
    refresh();
    if (message)
        showMessage(*message);
}

void TFormDentak::showMessage(const CalcMessage& message)
{
    // Through the one error display, so that the tests' prompts answer it too.
    showUserError(this, message.caption.empty()
                            ? UserError(message.text)
                            : UserError(message.text, message.caption, UserError::Icon::Critical));
}

void TFormDentak::FormKeyPress(char key)
{
    report(engine_.FormKeyPress(key));
}

void TFormDentak::PushButton(QObject* sender)
{
    const auto it = keyOfPanel_.constFind(sender);
    if (it != keyOfPanel_.constEnd())
        FormKeyPress(it.value());
}

void TFormDentak::MemAClick(QObject* sender)
{
    const auto it = slotOfPanel_.constFind(sender);
    if (it != slotOfPanel_.constEnd())
        report(engine_.MemAClick(it.value()));
}

void TFormDentak::N1Click()
{
    QApplication::clipboard()->setText(QString::fromStdString(engine_.displayText()));
}

void TFormDentak::N2Click()
{
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasText())
        return;
    if (engine_.pasteText(data->text().toStdString()))
        refresh();
}

void TFormDentak::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event);
    QString text = event->text();
    if (text.isEmpty()) {
        switch (event->key()) {
        case Qt::Key_Backspace: text = QChar(calckey::Backspace); break;
        case Qt::Key_Escape: text = QChar(calckey::Esc); break;
        case Qt::Key_Return:
        case Qt::Key_Enter: text = QChar(calckey::Enter); break;
        default: break;
        }
    }
    // Each character goes to the engine in the bytes of the system code page.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const std::string bytes = calcKeyBytes(text.mid(i, len).toStdString());
        for (char byte : bytes)
            FormKeyPress(byte);
        i += len;
    }
    event->accept();
}

void TFormDentak::keyReleaseEvent(QKeyEvent* event)
{
    FormKeyUp(event);
    event->accept();
}

namespace {

// A held key: its native key code where the windowing system reports one (the same on key-down
// and key-up whatever the modifiers), else the key Qt reports.
quint64 heldKeyOf(const QKeyEvent* event)
{
    if (event->nativeScanCode() != 0)
        return (quint64{1} << 32) | event->nativeScanCode();
    return static_cast<quint64>(static_cast<quint32>(event->key()));
}

// Events without native key codes (synthesised ones) can only be judged by their key.
std::optional<std::string> panelForQtKey(const QKeyEvent* event)
{
    if (event->modifiers() & Qt::KeypadModifier)
        return std::nullopt;
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return "P" + std::to_string(key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: return "Pret";
    case Qt::Key_P: return "Ppai";
    case Qt::Key_Period: return "Pdot";
    case Qt::Key_Backslash:
    case Qt::Key_yen: return "Pfugo";
    default: return std::nullopt;
    }
}

}  // namespace

CalcPanel* TFormDentak::feedbackPanel(const QKeyEvent* event) const
{
    std::optional<std::string> name;
    if (QGuiApplication::platformName() == QLatin1String("windows"))
        name = key_feedback::panelForVirtualKey(event->nativeVirtualKey());
    else if (event->nativeScanCode() != 0)
        name = key_feedback::panelForKeyCode(event->nativeScanCode());
    else
        name = panelForQtKey(event);
    return name ? panelByName_.value(QString::fromStdString(*name)) : nullptr;
}

void TFormDentak::FormKeyDown(QKeyEvent* event)
{
    if (CalcPanel* panel = feedbackPanel(event)) {
        panel->setColour(Qt::red);
        litByKey_.insert(heldKeyOf(event), panel);
    }
}

void TFormDentak::FormKeyUp(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    const auto it = litByKey_.constFind(heldKeyOf(event));
    if (it != litByKey_.constEnd()) {
        CalcPanel* panel = it.value();
        litByKey_.erase(it);
        if (std::find(litByKey_.cbegin(), litByKey_.cend(), panel) == litByKey_.cend())
            panel->setColour(Qt::white);
    } else if (event->nativeScanCode() == 0) {
        // Without a native code the released key cannot be matched to its key-down (Shift may
        // have changed its key); let no panel stay red.
        releaseKeyPanels();
    }
}

void TFormDentak::releaseKeyPanels()
{
    for (CalcPanel* panel : std::as_const(litByKey_))
        panel->setColour(Qt::white);
    litByKey_.clear();
}

void TFormDentak::hideEvent(QHideEvent* event)
{
    releaseKeyPanels();  // key-ups that arrive while hidden never reach the window
    QWidget::hideEvent(event);
}

void TFormDentak::focusOutEvent(QFocusEvent* event)
{
    releaseKeyPanels();
    QWidget::focusOutEvent(event);
}

void TFormDentak::FormMouseMove(CalcPanel* panel)
{
    if (panel == HoverPanel)
        return;
    if (HoverPanel)
        HoverPanel->setColour(Qt::white);
    HoverPanel = panel;
    if (panel)
        panel->setColour(Qt::yellow);
}

void TFormDentak::FormMouseDown(CalcPanel* panel)
{
    panel->setColour(Qt::red);
}

void TFormDentak::FormMouseUp(CalcPanel* panel)
{
    panel->setColour(Qt::white);
}

void TFormDentak::mouseMoveEvent(QMouseEvent* event)
{
    FormMouseMove(nullptr);  // over the window background
    QWidget::mouseMoveEvent(event);
}

void TFormDentak::leaveEvent(QEvent* event)
{
    // Leaving the window takes the hover colour away, as moving onto the background does.
    FormMouseMove(nullptr);
    QWidget::leaveEvent(event);
}

bool TFormDentak::focusNextPrevChild(bool)
{
    return false;  // Tab is a key for the engine like any other
}

}  // namespace zorvan
