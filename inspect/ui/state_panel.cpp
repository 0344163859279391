#include "inspect/ui/state_panel.h"

#include "inspect/logic/line_state.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zorvan::inspect {

StatePanel::StatePanel(QWidget* parent)
    : QWidget(parent), title_(new QLabel(this)), table_(new QTableWidget(0, 2, this))
{
    setObjectName("StatePanel");
    runPool_.setMaxThreadCount(1);
    statePool_.setMaxThreadCount(1);
    table_->setObjectName("StateTable");
    table_->setHorizontalHeaderLabels({QStringLiteral("項目"), QStringLiteral("値")});
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(true);
    title_->setContentsMargins(6, 2, 6, 2);
    title_->setText(QStringLiteral("状態"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title_);
    layout->addWidget(table_, 1);

    caretDebounce_.setSingleShot(true);
    caretDebounce_.setInterval(kCaretDebounceMs);
    connect(&caretDebounce_, &QTimer::timeout, this, &StatePanel::showStateNow);
    textDebounce_.setSingleShot(true);
    textDebounce_.setInterval(kTextDebounceMs);
    connect(&textDebounce_, &QTimer::timeout, this, &StatePanel::interpretNow);
}

StatePanel::~StatePanel()
{
    if (runJob_)
        runJob_->store(true);
    runPool_.waitForDone();
    statePool_.waitForDone();
}

void StatePanel::setTextSource(std::function<std::string()> text, std::function<std::string(int)> line)
{
    textSource_ = std::move(text);
    lineSource_ = std::move(line);
}

void StatePanel::textChanged(const TextChange& change)
{
    stale_ = true;
    if (otherActive_ && otherActive_())
        return;  // the preview works it out and hands it over
    if (!isVisible())
        return;  // worked out when the panel is shown
    if (change.load)
        interpretNow();
    else
        textDebounce_.start();
}

void StatePanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_ && !(otherActive_ && otherActive_()))
        interpretNow();
    else
        showStateNow();
}

void StatePanel::setCaretLine(int line)
{
    if (line == caretLine_ && shownLine_ == line)
        return;
    caretLine_ = line;
    if (isVisible())
        caretDebounce_.start();
}

void StatePanel::adopt(std::shared_ptr<const KeptRun> run)
{
    if (runJob_)
        runJob_->store(true);
    runJob_.reset();
    ++runGeneration_;
    kept_ = std::move(run);
    stale_ = false;
    if (isVisible())
        showStateNow();
}

void StatePanel::interpretNow()
{
    textDebounce_.stop();
    if (!textSource_)
        return;
    if (runJob_)
        runJob_->store(true);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    runJob_ = cancel;
    const unsigned generation = ++runGeneration_;
    stale_ = false;
    title_->setText(QStringLiteral("状態 (計算中…)"));
    runPool_.start([this, text = textSource_(), cancel, generation]() mutable {
        struct Own {
            std::string text;
            preview::Toolpath path;
        };
        auto own = std::make_shared<Own>();
        own->path = preview::interpretProgram(text, {}, cancel.get());
        if (own->path.cancelled)
            return;
        own->text = std::move(text);
        auto run = std::make_shared<KeptRun>();
        run->text = &own->text;
        run->path = &own->path;
        run->owner = std::move(own);
        QMetaObject::invokeMethod(
            this, [this, run, generation] { takeRun(run, generation); }, Qt::QueuedConnection);
    });
}

void StatePanel::takeRun(std::shared_ptr<const KeptRun> run, unsigned generation)
{
    if (generation != runGeneration_)
        return;
    runJob_.reset();
    kept_ = std::move(run);
    emit runReady();
    showStateNow();
}

void StatePanel::showStateNow()
{
    caretDebounce_.stop();
    if (!kept_ || !lineSource_)
        return;
    const int line = caretLine_;
    const unsigned request = ++stateRequest_;
    std::shared_ptr<const KeptRun> run = kept_;
    auto work = [run, line, lineText = lineSource_(line)] {
        const auto state = lineState(*run->text, *run->path, line, lineText, run->options);
        return state ? stateRows(*state) : neverRunRows(line);
    };
    if (run->text->size() < kWorkerBytes) {
        showRows(line, work(), request);
        return;
    }
    statePool_.start([this, work, line, request] {
        auto rows = work();
        QMetaObject::invokeMethod(
            this, [this, rows = std::move(rows), line, request] { showRows(line, rows, request); },
            Qt::QueuedConnection);
    });
}

void StatePanel::showRows(int line, const std::vector<std::pair<std::string, std::string>>& rows, unsigned request)
{
    if (request != stateRequest_)
        return;  // the caret moved on
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        table_->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(rows[static_cast<std::size_t>(r)].first)));
        table_->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(rows[static_cast<std::size_t>(r)].second)));
    }
    table_->resizeColumnToContents(0);
    title_->setText(stale_ ? QStringLiteral("状態 %1 行 (更新中…)").arg(line) : QStringLiteral("状態 %1 行").arg(line));
    shownLine_ = line;
    emit stateShown(line);
}

QString StatePanel::shownText() const
{
    QString out;
    for (int r = 0; r < table_->rowCount(); ++r)
        out += table_->item(r, 0)->text() + '\t' + table_->item(r, 1)->text() + '\n';
    return out;
}

}  // namespace zorvan::inspect
