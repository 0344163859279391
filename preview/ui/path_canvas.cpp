#include "preview/ui/path_canvas.h"

#include "preview/render/stock_renderer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>
#include <QWheelEvent>

#include <cmath>

namespace zorvan::preview {

namespace {

// Maps the pixels of a picture drawn for `from` onto the widget for `to` (same view): what the
// canvas shows while the new picture is being drawn.
QTransform between(const ViewTransform& from, const ViewTransform& to)
{
    const double k = to.scale / from.scale;
    QTransform m;
    m.translate(to.size.width() / 2.0 + (from.centreU - to.centreU) * to.scale,
                to.size.height() / 2.0 - (from.centreV - to.centreV) * to.scale);
    m.scale(k, k);
    m.translate(-from.size.width() / 2.0, -from.size.height() / 2.0);
    return m;
}

}  // namespace

PathCanvas::PathCanvas(QWidget* parent) : QWidget(parent)
{
    pool_.setMaxThreadCount(1);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(120, 90);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
}

PathCanvas::~PathCanvas()
{
    if (cancelDrawing_)
        cancelDrawing_->store(true);
    pool_.waitForDone();
}

void PathCanvas::setModel(std::shared_ptr<const PreviewModel> model, bool fit)
{
    model_ = std::move(model);
    marks_.clear();  // they belong to the old path; the new stock run brings its own
    transform_.size = size();
    if (fit)
        fitToPath();
    else
        requestPicture();
}

void PathCanvas::setView(View view)
{
    if (view == transform_.view)
        return;
    transform_.view = view;
    fitToPath();
}

void PathCanvas::setStock(std::shared_ptr<const stock::StockResult> stock)
{
    stock_ = std::move(stock);
    requestPicture();
}

void PathCanvas::setDisplay(StockDisplay display)
{
    display_ = display;
    requestPicture();
}

void PathCanvas::setHitMarks(std::vector<stock::HitMark> marks)
{
    marks_ = std::move(marks);
    update();
}

void PathCanvas::fitToPath()
{
    const View view = transform_.view;
    if (!model_) {
        transform_ = ViewTransform{view, size()};
    } else {
        Box3 box = model_->path.extents;
        if (const stock::StockResult* stock = shownStock())
            box.add(stockExtents(stock->field));
        transform_ = fitView(box, view, size(), legendHeight(model_->path));
    }
    requestPicture();
}

void PathCanvas::setCaretLine(int line)
{
    if (line == caretLine_)
        return;
    caretLine_ = line;
    update();  // the overlay only: the cached picture stays
}

int PathCanvas::lineAt(QPointF pixel) const
{
    if (!model_)
        return -1;
    const long v = segmentAt(model_->path, model_->chunks, transform_, pixel);
    return v < 0 ? -1 : static_cast<int>(model_->path.line[v]);
}

void PathCanvas::requestPicture()
{
    update();
    if (!model_ || pictureReady())
        return;
    if (cancelDrawing_)
        cancelDrawing_->store(true);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    cancelDrawing_ = cancel;
    const unsigned generation = ++generation_;
    std::shared_ptr<const PreviewModel> model = model_;
    std::shared_ptr<const stock::StockResult> stock = display_ == StockDisplay::Path ? nullptr : stock_;
    const ViewTransform transform = transform_;
    const StockDisplay display = display_;
    pool_.start([this, model, stock, display, transform, cancel, generation] {
        RenderOptions options;
        options.legend = false;  // painted over the picture with the overlay
        QImage image;
        if (stock) {
            image = renderStock(stock->field, transform, options.background, cancel.get());
            if (image.isNull())
                return;
        }
        // Without a stock yet the path stands in for it.
        if (display != StockDisplay::Stock || !stock) {
            QImage path = renderPath(model->path, model->chunks, transform, options, cancel.get());
            if (path.isNull())
                return;
            if (image.isNull()) {
                image = std::move(path);
            } else {
                // The path's pale background leaves the stock as it is; its lines darken it.
                QPainter painter(&image);
                painter.setCompositionMode(QPainter::CompositionMode_Multiply);
                painter.drawImage(0, 0, path);
            }
        }
        Picture picture{std::move(image), transform, model.get(), display, stock};
        QMetaObject::invokeMethod(
            this, [this, picture = std::move(picture), generation] { takePicture(picture, generation); },
            Qt::QueuedConnection);
    });
}

void PathCanvas::takePicture(Picture picture, unsigned generation)
{
    if (generation != generation_ || picture.model != model_.get())
        return;
    image_ = std::move(picture.image);
    imageTransform_ = picture.transform;
    imageModel_ = picture.model;
    imageDisplay_ = picture.display;
    imageStock_ = picture.stock;
    update();
    emit pictureDrawn();
}

void PathCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(250, 250, 248));
    if (!image_.isNull()) {
        if (imageTransform_ == transform_) {
            painter.drawImage(0, 0, image_);
        } else if (imageTransform_.view == transform_.view) {
            painter.save();
            painter.setTransform(between(imageTransform_, transform_));
            painter.drawImage(0, 0, image_);
            painter.restore();
        }
    }
    if (!model_) {
        painter.setPen(QColor(120, 120, 120));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("パスを計算中…"));
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    if (caretLine_ >= 0) {
        drawLineHighlight(painter, model_->path, transform_, caretLine_);
        drawToolMarker(painter, model_->path, transform_, model_->path.vertexAfterLine(caretLine_));
    }
    drawHitMarks(painter, marks_, transform_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawLegend(painter, model_->path, size());
}

void PathCanvas::resizeEvent(QResizeEvent*)
{
    const QSize old = transform_.size;
    transform_.size = size();
    if (model_ && imageModel_ == nullptr)
        fitToPath();
    else if (old != size())
        requestPicture();
}

void PathCanvas::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    transform_.zoomAt(event->position(), std::pow(1.25, steps));
    requestPicture();
    event->accept();
}

void PathCanvas::mousePressEvent(QMouseEvent* event)
{
    pressAt_ = lastDrag_ = event->position();
    dragging_ = false;
}

void PathCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & (Qt::LeftButton | Qt::MiddleButton)))
        return;
    if (!dragging_ && (event->position() - pressAt_).manhattanLength() < 4)
        return;
    dragging_ = true;
    transform_.panBy(event->position() - lastDrag_);
    lastDrag_ = event->position();
    requestPicture();
}

void PathCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (dragging_) {
        dragging_ = false;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const int line = lineAt(event->position());
    if (line >= 0)
        emit lineClicked(line);
}

void PathCanvas::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F || event->key() == Qt::Key_Home) {
        fitToPath();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace zorvan::preview
