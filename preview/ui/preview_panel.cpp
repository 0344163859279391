#include "preview/ui/preview_panel.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

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
      increments_(new QCheckBox(QStringLiteral("小数点なしは最小単位"), this)), summary_(new QLabel(this))
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
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(canvas_, 1);
    layout->addWidget(summary_);
    summary_->setContentsMargins(6, 2, 6, 2);

    const View view = viewFromName(settings_.view).value_or(View::Top);
    views_->button(static_cast<int>(view))->setChecked(true);
    canvas_->setView(view);
    increments_->setChecked(settings_.leastIncrement);

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
    fitNext_ = true;
    interpretNow();
}

void PreviewPanel::setCaretLine(int line)
{
    canvas_->setCaretLine(line);
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
    pool_.start([this, text = textSource_(), options, cancel, generation] {
        auto model = std::make_shared<PreviewModel>();
        model->path = interpretProgram(text, options, cancel.get());
        if (model->path.cancelled)
            return;
        model->chunks = buildChunks(model->path);
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
    fitNext_ = false;
    showSummary();
    emit pathReady();
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
    summary_->setText(text);
}

}  // namespace zorvan::preview
