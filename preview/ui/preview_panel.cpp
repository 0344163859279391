#include "preview/ui/preview_panel.h"

#include "preview/ui/formstock.h"
#include "preview/ui/formtools.h"
#include "preview/ui/stock_warning_list.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace zorvan::preview {

namespace {

struct ViewButton {
    View view;
    const char* caption;
    const char* tip;
};
const ViewButton kViewButtons[] = {
    {View::Top, "上", "上から (XY)"},
    {View::Front, "正面", "正面から (XZ)"},
    {View::Side, "側面", "側面から (YZ)"},
    {View::Iso, "等角", "等角投影"},
};

}  // namespace

PreviewPanel::PreviewPanel(QWidget* parent)
    : QWidget(parent), settings_(readPreviewSettings()), canvas_(new PathCanvas(this)), views_(new QButtonGroup(this)),
      increments_(new QCheckBox(QStringLiteral("小数点なしは最小単位"), this)), summary_(new QLabel(this)),
      display_(new QComboBox(this)), caretStock_(new QAction(QStringLiteral("キャレット行まで"), this)),
      warnings_(new StockWarningList(this)), stockSettings_(stock::readStockSettings()),
      stockWorker_([this](const StockRun& run) { takeStock(run); })
{
    setObjectName("PreviewPanel");
    pool_.setMaxThreadCount(1);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 2, 4, 2);
    for (const auto& b : kViewButtons) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromUtf8(b.caption));
        button->setToolTip(QString::fromUtf8(b.tip));
        button->setCheckable(true);
        button->setAutoRaise(true);
        views_->addButton(button, static_cast<int>(b.view));
        bar->addWidget(button);
    }
    auto* fit = new QToolButton(this);
    fit->setText(QStringLiteral("全体"));
    fit->setToolTip(QStringLiteral("全体を表示 (F)"));
    fit->setAutoRaise(true);
    bar->addWidget(fit);
    bar->addWidget(increments_);
    bar->addStretch(1);
    auto* stockBar = new QHBoxLayout;
    stockBar->setContentsMargins(4, 0, 4, 2);
    display_->setObjectName("StockDisplay");
    display_->setToolTip(QStringLiteral("パス・材料 (削り残り)・その両方を表示"));
    display_->addItem(QStringLiteral("パス"), static_cast<int>(StockDisplay::Path));
    display_->addItem(QStringLiteral("材料"), static_cast<int>(StockDisplay::Stock));
    display_->addItem(QStringLiteral("パスと材料"), static_cast<int>(StockDisplay::Both));
    stockBar->addWidget(display_);
    caretStock_->setObjectName("CaretStock");
    caretStock_->setCheckable(true);
    caretStock_->setShortcut(Qt::Key_F6);
    caretStock_->setShortcutContext(Qt::WindowShortcut);  // also while typing in the editor
    caretStock_->setToolTip(QStringLiteral("キャレットの行までを削った材料 (F6)"));
    addAction(caretStock_);
    auto* caretButton = new QToolButton(this);
    caretButton->setDefaultAction(caretStock_);
    caretButton->setAutoRaise(true);
    stockBar->addWidget(caretButton);
    auto* stockBox = new QToolButton(this);
    stockBox->setObjectName("StockBoxButton");
    stockBox->setText(QStringLiteral("材料…"));
    stockBox->setToolTip(QStringLiteral("材料の大きさ"));
    stockBox->setAutoRaise(true);
    stockBar->addWidget(stockBox);
    auto* toolTable = new QToolButton(this);
    toolTable->setObjectName("ToolTableButton");
    toolTable->setText(QStringLiteral("工具表…"));
    toolTable->setAutoRaise(true);
    stockBar->addWidget(toolTable);
    stockBar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addLayout(stockBar);
    layout->addWidget(canvas_, 1);
    layout->addWidget(summary_);
    layout->addWidget(warnings_);
    summary_->setContentsMargins(6, 2, 6, 2);

    const View view = viewFromName(settings_.view).value_or(View::Top);
    views_->button(static_cast<int>(view))->setChecked(true);
    canvas_->setView(view);
    increments_->setChecked(settings_.leastIncrement);
    display_->setCurrentIndex(display_->findData(static_cast<int>(settings_.show)));
    canvas_->setDisplay(settings_.show);

    debounce_.setSingleShot(true);
    debounce_.setInterval(kDebounceMs);
    connect(&debounce_, &QTimer::timeout, this, &PreviewPanel::interpretNow);
    connect(views_, &QButtonGroup::idClicked, this, [this](int id) { setView(static_cast<View>(id)); });
    connect(fit, &QToolButton::clicked, canvas_, &PathCanvas::fitToPath);
    connect(increments_, &QCheckBox::toggled, this, [this](bool on) {
        settings_.leastIncrement = on;
        writePreviewSettings(settings_);
        interpretNow();
    });
    connect(canvas_, &PathCanvas::lineClicked, this, &PreviewPanel::lineClicked);
    summary_->setObjectName("PreviewSummary");
    summary_->setTextFormat(Qt::RichText);
    connect(summary_, &QLabel::linkActivated, this, [this](const QString& line) { emit lineClicked(line.toInt()); });
    connect(display_, &QComboBox::activated, this,
            [this](int index) { setDisplay(static_cast<StockDisplay>(display_->itemData(index).toInt())); });
    connect(caretStock_, &QAction::toggled, this, &PreviewPanel::caretStockToggled);
    caretStockDebounce_.setSingleShot(true);
    caretStockDebounce_.setInterval(kCaretStockDebounceMs);
    connect(&caretStockDebounce_, &QTimer::timeout, this, [this] { simulateStock(caretLine_); });
    connect(stockBox, &QToolButton::clicked, this, &PreviewPanel::editStockBox);
    connect(toolTable, &QToolButton::clicked, this, &PreviewPanel::editToolTable);
    connect(warnings_, &StockWarningList::lineClicked, this, &PreviewPanel::lineClicked);
}

PreviewPanel::~PreviewPanel()
{
    if (job_)
        job_->store(true);
    pool_.waitForDone();
}

void PreviewPanel::rememberShown(bool shown)
{
    settings_.visible = shown;
    writePreviewSettings(settings_);
}

void PreviewPanel::setView(View view)
{
    canvas_->setView(view);
    settings_.view = viewName(view);
    writePreviewSettings(settings_);
}

void PreviewPanel::textChanged(const TextChange& change)
{
    if (change.load)
        documentReplaced();
    else
        documentChanged();
}

void PreviewPanel::documentChanged()
{
    if (!isVisible()) {
        stale_ = true;  // worked out when the panel is shown
        return;
    }
    debounce_.start();
}

void PreviewPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (stale_)
        interpretNow();
}

void PreviewPanel::documentReplaced()
{
    // The warnings and marks of the text that went name its lines: they go with it.
    stockWarnings_.clear();
    warnings_->setWarnings(stockWarnings_);
    canvas_->setHitMarks({});
    fitNext_ = true;
    interpretNow();
}

void PreviewPanel::setCaretLine(int line)
{
    canvas_->setCaretLine(line);
    if (line == caretLine_)
        return;
    caretLine_ = line;
    if (caretStock_->isChecked())
        caretStockDebounce_.start();
}

void PreviewPanel::interpretNow()
{
    debounce_.stop();
    if (!textSource_)
        return;
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    stale_ = false;
    if (job_)
        job_->store(true);  // the running pass is stale: let it stop early
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    job_ = cancel;
    const unsigned generation = ++generation_;
    InterpreterOptions options;
    options.leastIncrement = settings_.leastIncrement;
    summary_->setText(QStringLiteral("パスを計算中…"));
    pool_.start([this, text = textSource_(), options, cancel, generation]() mutable {
        auto model = std::make_shared<PreviewModel>();
        model->path = interpretProgram(text, options, cancel.get());
        if (model->path.cancelled)
            return;
        model->chunks = buildChunks(model->path);
        model->text = std::move(text);  // the stock simulation reads the tool comments in it
        QMetaObject::invokeMethod(
            this, [this, model, generation] { takeModel(model, generation); }, Qt::QueuedConnection);
    });
}

void PreviewPanel::takeModel(std::shared_ptr<const PreviewModel> model, unsigned generation)
{
    if (generation != generation_)
        return;
    job_.reset();
    // A path that has left the old one's box altogether (another program was opened, or the
    // first moves came) is shown whole; an edit keeps the view as it was.
    if (const PreviewModel* old = canvas_->model()) {
        const Box3 &a = old->path.extents, &b = model->path.extents;
        bool apart = a.empty() != b.empty();
        for (int i = 0; i < 3 && !apart && !a.empty(); ++i)
            apart = b.max[i] < a.min[i] || b.min[i] > a.max[i];
        fitNext_ = fitNext_ || apart;
    }
    canvas_->setModel(std::move(model), fitNext_);
    fitWithStock_ = fitNext_;
    fitNext_ = false;
    showSummary();
    simulateStock(-1);
    if (caretStock_->isChecked())
        simulateStock(caretLine_);
    emit pathReady();
}

void PreviewPanel::setDisplay(StockDisplay display)
{
    display_->setCurrentIndex(display_->findData(static_cast<int>(display)));
    canvas_->setDisplay(display);
    settings_.show = display;
    writePreviewSettings(settings_);
}

void PreviewPanel::setStockSettings(const stock::StockSettings& settings)
{
    auto sameBox = [](const std::optional<stock::StockBox>& a, const std::optional<stock::StockBox>& b) {
        return a.has_value() == b.has_value()
            && (!a || (std::ranges::equal(a->min, b->min) && std::ranges::equal(a->max, b->max)));
    };
    // Another box: the picture is fitted again to the stock it gives, once that has been simulated.
    if (!sameBox(settings.box, stockSettings_.box))
        fitWithStock_ = true;
    stockSettings_ = settings;
    stock::writeStockSettings(stockSettings_);
    simulateStock(-1);
    if (caretStock_->isChecked())
        simulateStock(caretLine_);
}

void PreviewPanel::simulateStock(int line)
{
    caretStockDebounce_.stop();
    // The shared pointer in the canvas keeps the path alive while the worker reads it.
    if (!canvas_->model())
        return;
    std::shared_ptr<const PreviewModel> model = canvas_->sharedModel();
    stock::StockOptions options;
    options.box = stockSettings_.box;
    options.tools = stockSettings_.tools;
    stockWorker_.simulate(std::move(model), options, line);
    if (line < 0) {
        stockChecking_ = true;
        showSummary();
    }
}

void PreviewPanel::takeStock(const StockRun& run)
{
    if (run.model.get() != canvas_->model())
        return;  // a run of an older path; the new one is on its way
    if (run.line < 0) {
        stockChecking_ = false;
        showSummary();
        stockWarnings_ = run.result->warnings;
        warnings_->setWarnings(stockWarnings_);
        canvas_->setHitMarks(run.marks);
        wholeStock_ = run.result;
        if (!caretStock_->isChecked())
            canvas_->setStock(run.result);
        // A path shown whole is shown whole with its stock, which may reach further.
        if (fitWithStock_ && canvas_->display() != StockDisplay::Path)
            canvas_->fitToPath();
        fitWithStock_ = false;
    } else if (caretStock_->isChecked() && run.line == caretLine_) {
        canvas_->setStock(run.result);
    }
    emit stockReady();
}

void PreviewPanel::caretStockToggled(bool on)
{
    if (on) {
        if (canvas_->display() == StockDisplay::Path)
            setDisplay(StockDisplay::Both);  // the key asks to see the stock
        simulateStock(caretLine_);
    } else {
        caretStockDebounce_.stop();
        canvas_->setStock(wholeStock_);
    }
}

void PreviewPanel::editStockBox()
{
    TFormStock form(this);
    if (wholeStock_ && wholeStock_->field.columns() > 0)
        form.fill(stockSettings_.box, wholeStock_->field.box());
    else
        form.fill(stockSettings_.box);
    if (form.exec() != QDialog::Accepted)
        return;
    stock::StockSettings settings = stockSettings_;
    settings.box = form.box();
    setStockSettings(settings);
}

void PreviewPanel::editToolTable()
{
    TFormTools form(this);
    form.fill(stockSettings_.tools);
    if (form.exec() != QDialog::Accepted)
        return;
    stock::StockSettings settings = stockSettings_;
    settings.tools = *form.tools();
    setStockSettings(settings);
}

void PreviewPanel::showSummary()
{
    const PreviewModel* model = canvas_->model();
    if (!model)
        return;
    const Toolpath& path = model->path;
    QString text = path.extents.empty() ? QStringLiteral("移動がありません")
                                        : QStringLiteral("%1 セグメント").arg(path.segmentCount());
    if (!path.diagnostics.empty()) {
        // The first diagnostic's line is a link to it.
        const Diagnostic& first = path.diagnostics.front();
        text = text.toHtmlEscaped()
            + QStringLiteral("  注意 %1 件 (最初: <a href=\"%2\">%2 行</a> %3)")
                  .arg(path.diagnostics.size())
                  .arg(first.line)
                  .arg(QString::fromStdString(diagnosticText(first)).toHtmlEscaped());
    }
    if (stockChecking_)
        text += QStringLiteral("  材料を確認中…");
    summary_->setText(text);
}

}  // namespace zorvan::preview
