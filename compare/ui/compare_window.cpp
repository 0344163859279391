#include "compare/ui/compare_window.h"

#include "app/logic/colouring.h"
#include "app/ui/scintilla_editor.h"
#include "compare/logic/program_compare.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace zorvan::compare {

namespace {

// Gutter symbols and line backgrounds; the word boxes are one indicator.
enum Marker { RemovedSymbol = 1, AddedSymbol, ChangedSymbol, RemovedBack, AddedBack, ChangedBack, GapBack };
constexpr int kWordIndicator = 9;
constexpr int kNumberMargin = 0, kMarkerMargin = 1;

void prepare(QsciScintilla* view)
{
    view->setReadOnly(true);
    view->setUtf8(true);
    view->setMarginType(kNumberMargin, QsciScintilla::TextMargin);
    view->setMarginWidth(kNumberMargin, QStringLiteral("0000000"));
    view->setMarginType(kMarkerMargin, QsciScintilla::SymbolMargin);
    view->setMarginWidth(kMarkerMargin, 14);
    view->setMarginMarkerMask(kMarkerMargin, (1 << RemovedSymbol) | (1 << AddedSymbol) | (1 << ChangedSymbol));
    view->setMarginMarkerMask(kNumberMargin, 0);
    const QColor red(200, 40, 40), green(30, 140, 60), amber(200, 140, 0);
    view->markerDefine(QsciScintilla::Minus, RemovedSymbol);
    view->markerDefine(QsciScintilla::Plus, AddedSymbol);
    view->markerDefine(QsciScintilla::Circle, ChangedSymbol);
    view->setMarkerBackgroundColor(red, RemovedSymbol);
    view->setMarkerBackgroundColor(green, AddedSymbol);
    view->setMarkerBackgroundColor(amber, ChangedSymbol);
    const std::pair<Marker, QColor> backs[] = {{RemovedBack, QColor(255, 225, 225)},
                                               {AddedBack, QColor(225, 250, 225)},
                                               {ChangedBack, QColor(255, 245, 210)},
                                               {GapBack, QColor(232, 232, 232)}};
    for (const auto& [marker, colour] : backs) {
        view->markerDefine(QsciScintilla::Background, marker);
        view->setMarkerBackgroundColor(colour, marker);
    }
    view->indicatorDefine(QsciScintilla::FullBoxIndicator, kWordIndicator);
    view->setIndicatorForegroundColor(QColor(230, 120, 0, 110), kWordIndicator);
    view->setCaretLineVisible(true);
}

}  // namespace

CompareWindow::CompareWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), left_(new QsciScintilla(this)), right_(new QsciScintilla(this)),
      summary_(new QLabel(this))
{
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowTitle(QStringLiteral("比較"));
    resize(1000, 700);
    left_->setObjectName(QStringLiteral("CompareLeft"));
    right_->setObjectName(QStringLiteral("CompareRight"));
    leftEditor_ = std::make_unique<ScintillaEditor>(left_);
    rightEditor_ = std::make_unique<ScintillaEditor>(right_);
    prepare(left_);
    prepare(right_);

    auto* options = new QHBoxLayout;
    const CompareOptions stored = readCompareOptions();
    const std::pair<const char*, bool CompareOptions::*> boxes[] = {
        {"N番号を無視", &CompareOptions::ignoreSequenceNumbers},
        {"空白を無視", &CompareOptions::ignoreBlanks},
        {"数値を値で比較", &CompareOptions::numbersByValue},
        {"コメントを無視", &CompareOptions::ignoreComments},
        {"大文字小文字を無視", &CompareOptions::ignoreCase},
    };
    for (const auto& [caption, member] : boxes) {
        auto* box = new QCheckBox(QString::fromUtf8(caption), this);
        box->setChecked(stored.*member);
        connect(box, &QCheckBox::toggled, this, &CompareWindow::optionsChanged);
        options->addWidget(box);
        optionBoxes_.emplace_back(box, member);
    }
    options->addStretch();
    auto* previous = new QPushButton(QStringLiteral("前の差分"), this);
    auto* next = new QPushButton(QStringLiteral("次の差分"), this);
    previous->setToolTip(QStringLiteral("Shift+F8"));
    next->setToolTip(QStringLiteral("F8"));
    connect(previous, &QPushButton::clicked, this, &CompareWindow::previousDifference);
    connect(next, &QPushButton::clicked, this, &CompareWindow::nextDifference);
    options->addWidget(summary_);
    options->addWidget(previous);
    options->addWidget(next);
    auto* closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("CompareClose"));
    closeButton->setToolTip(QStringLiteral("Esc"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    options->addWidget(closeButton);
    auto* closeKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    closeKey->setContext(Qt::WindowShortcut);
    connect(closeKey, &QShortcut::activated, this, &QWidget::close);
    auto* nextKey = new QShortcut(QKeySequence(Qt::Key_F8), this);
    auto* previousKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8), this);
    nextKey->setContext(Qt::WindowShortcut);
    previousKey->setContext(Qt::WindowShortcut);
    connect(nextKey, &QShortcut::activated, this, &CompareWindow::nextDifference);
    connect(previousKey, &QShortcut::activated, this, &CompareWindow::previousDifference);

    auto* views = new QSplitter(Qt::Horizontal, this);
    views->addWidget(left_);
    views->addWidget(right_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(views, 1);

    connect(left_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { followScroll(left_, right_); });
    connect(right_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { followScroll(right_, left_); });
    left_->installEventFilter(this);
    right_->installEventFilter(this);
    left_->viewport()->installEventFilter(this);
}

CompareWindow::~CompareWindow() = default;

void CompareWindow::compare(std::string left, std::string right, const QString& leftName, const QString& rightName)
{
    leftText_ = std::move(left);
    rightText_ = std::move(right);
    setWindowTitle(QStringLiteral("比較 - %1 ⇔ %2").arg(leftName, rightName));
    refresh();
}

void CompareWindow::optionsChanged()
{
    CompareOptions options;
    for (const auto& [box, member] : optionBoxes_)
        options.*member = box->isChecked();
    writeCompareOptions(options);
    refresh();
}

void CompareWindow::refresh()
{
    CompareOptions options;
    for (const auto& [box, member] : optionBoxes_)
        options.*member = box->isChecked();
    const Alignment alignment = compareTexts(leftText_, rightText_, options);
    unaligned_ = alignment.unalignedLines;
    unreadable_.clear();
    rows_.clear();
    differenceRows_.clear();
    std::string leftShown, rightShown;
    leftShown.reserve(leftText_.size());
    rightShown.reserve(rightText_.size());
    struct Pair {
        int row;
        std::string_view left, right;
    };
    std::vector<Pair> pairs;
    std::vector<nc::UnreadableWord> unreadLeft, unreadRight;  // in the changed lines
    LineCursor leftLines(leftText_), rightLines(rightText_);
    bool first = true;
    auto addRow = [&](const Row& row, std::string_view left, std::string_view right) {
        if (!first) {
            leftShown += "\r\n";
            rightShown += "\r\n";
        }
        first = false;
        leftShown.append(left);
        rightShown.append(right);
        rows_.push_back(row);
    };
    for (const Block& block : alignment.blocks) {
        if (!block.changed) {
            for (std::size_t k = 0; k < block.aCount; ++k)
                addRow({static_cast<int>(block.a + k), static_cast<int>(block.b + k), RowKind::Same}, leftLines.next(),
                       rightLines.next());
            continue;
        }
        differenceRows_.push_back(static_cast<int>(rows_.size()));
        for (std::size_t k = 0; k < std::max(block.aCount, block.bCount); ++k) {
            const bool hasLeft = k < block.aCount, hasRight = k < block.bCount;
            const std::string_view left = hasLeft ? leftLines.next() : std::string_view();
            const std::string_view right = hasRight ? rightLines.next() : std::string_view();
            const RowKind kind = hasLeft && hasRight ? RowKind::Changed : hasLeft ? RowKind::Removed : RowKind::Added;
            if (options.numbersByValue) {
                if (hasLeft)
                    nc::addUnreadableWords(left, static_cast<int>(block.a + k), unreadLeft);
                if (hasRight)
                    nc::addUnreadableWords(right, static_cast<int>(block.b + k), unreadRight);
            }
            if (kind == RowKind::Changed)
                pairs.push_back({static_cast<int>(rows_.size()), left, right});
            addRow({hasLeft ? static_cast<int>(block.a + k) : -1, hasRight ? static_cast<int>(block.b + k) : -1, kind},
                   left, right);
        }
    }
    // The first unreadable word of each side, with how many there are: compared as written.
    for (const auto& [side, unread] : {std::pair{"左", &unreadLeft}, std::pair{"右", &unreadRight}}) {
        if (unread->empty())
            continue;
        unreadable_ += QStringLiteral("（読めない数値: %1 %2 行目 %3").arg(QString::fromUtf8(side))
                           .arg(unread->front().line).arg(QString::fromStdString(unread->front().word));
        if (unread->size() > 1)
            unreadable_ += QStringLiteral(" ほか %1 件").arg(unread->size() - 1);
        unreadable_ += QStringLiteral("）");
    }
    showText(*leftEditor_, leftShown);
    showText(*rightEditor_, rightShown);
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        const Row& r = rows_[static_cast<std::size_t>(row)];
        mark(left_, row, r.kind, r.left);
        mark(right_, row, r.kind, r.right);
    }
    for (const Pair& pair : pairs) {
        const WordDiff words = wordDiff(pair.left, pair.right, options);
        auto box = [&](QsciScintilla* view, const std::vector<WordSpan>& spans) {
            const long start = view->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, pair.row);
            view->SendScintilla(QsciScintillaBase::SCI_SETINDICATORCURRENT, kWordIndicator);
            for (const WordSpan& span : spans)
                view->SendScintilla(QsciScintillaBase::SCI_INDICATORFILLRANGE, start + static_cast<long>(span.begin),
                                    static_cast<long>(span.end - span.begin));
        };
        box(left_, words.left);
        box(right_, words.right);
    }
    summary_->setText(summary());
    if (!differenceRows_.empty())
        goToRow(differenceRows_.front());
}

void CompareWindow::showText(ScintillaEditor& editor, const std::string& shown)
{
    QsciScintilla* view = editor.widget();
    view->setReadOnly(false);
    view->markerDeleteAll();
    editor.setText(shown);
    editor.setColours(colouring::LineRuns(shown, 0));
    view->setReadOnly(true);
}

void CompareWindow::mark(QsciScintilla* view, int row, RowKind kind, int line)
{
    if (line >= 0) {
        const QByteArray number = QByteArray::number(line);
        view->SendScintilla(QsciScintillaBase::SCI_MARGINSETTEXT, static_cast<unsigned long>(row), number.constData());
    }
    if (kind == RowKind::Same)
        return;
    if (line < 0) {
        view->markerAdd(row, GapBack);
        return;
    }
    const bool changed = kind == RowKind::Changed;
    const bool removed = kind == RowKind::Removed;
    view->markerAdd(row, changed ? ChangedSymbol : removed ? RemovedSymbol : AddedSymbol);
    view->markerAdd(row, changed ? ChangedBack : removed ? RemovedBack : AddedBack);
}

QString CompareWindow::summary() const
{
    if (differenceRows_.empty())
        return QStringLiteral("違いはありません") + unreadable_;
    QString text = QStringLiteral("差分 %1/%2 箇所").arg(currentDifference() + 1).arg(differenceRows_.size());
    if (unaligned_ > 0)
        text += QStringLiteral("（違いが大きすぎて %1 行を揃えられません）").arg(unaligned_);
    return text + unreadable_;
}

int CompareWindow::currentDifference() const
{
    int line = 0, index = 0;
    left_->getCursorPosition(&line, &index);
    const auto after = std::upper_bound(differenceRows_.begin(), differenceRows_.end(), line);
    return static_cast<int>(after - differenceRows_.begin()) - 1;
}

void CompareWindow::nextDifference()
{
    const int next = currentDifference() + 1;
    if (next < differenceCount())
        goToRow(differenceRows_[static_cast<std::size_t>(next)]);
}

void CompareWindow::previousDifference()
{
    int line = 0, index = 0;
    left_->getCursorPosition(&line, &index);
    const auto before = std::lower_bound(differenceRows_.begin(), differenceRows_.end(), line);
    if (before != differenceRows_.begin())
        goToRow(*(before - 1));
}

void CompareWindow::goToRow(int row)
{
    for (QsciScintilla* view : {left_, right_}) {
        view->setCursorPosition(row, 0);
        view->ensureLineVisible(row);
    }
    followScroll(left_, right_);
    summary_->setText(summary());
}

void CompareWindow::followScroll(QsciScintilla* from, QsciScintilla* to)
{
    if (following_)
        return;
    following_ = true;
    to->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
                      from->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
    following_ = false;
}

void CompareWindow::chooseLeftLine()
{
    int line = 0, index = 0;
    left_->getCursorPosition(&line, &index);
    if (line >= 0 && line < static_cast<int>(rows_.size()) && rows_[static_cast<std::size_t>(line)].left >= 0)
        emit leftLineChosen(rows_[static_cast<std::size_t>(line)].left);
    summary_->setText(summary());
}

bool CompareWindow::eventFilter(QObject* watched, QEvent* event)
{
    // F8 reaches a view as a key when the window's shortcut cannot take it (the window not active).
    if ((watched == left_ || watched == right_) && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F8) {
        if (static_cast<QKeyEvent*>(event)->modifiers() & Qt::ShiftModifier)
            previousDifference();
        else
            nextDifference();
        return true;
    }
    // Escape reaches a view as a key too: the editor takes it for itself before any shortcut.
    if ((watched == left_ || watched == right_) && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    if (watched == left_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseLeftLine();
            return true;
        }
    }
    if (watched == left_->viewport() && event->type() == QEvent::MouseButtonRelease)
        QMetaObject::invokeMethod(this, &CompareWindow::chooseLeftLine, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

}  // namespace zorvan::compare
