// The drawing area of the preview panel: the cached picture of the path, the simulated stock or
// both, drawn on a worker thread, with the caret line's highlight, the tool marker, the marks of
// the rapids that hit the stock and the legend painted over it.
// Wheel zooms at the pointer, dragging pans, a click reports the line of the segment under it.
#pragma once

#include "preview/logic/preview_settings.h"
#include "preview/logic/stock/stock_picture_model.h"
#include "preview/logic/toolpath.h"
#include "preview/render/path_renderer.h"

#include <QImage>
#include <QThreadPool>
#include <QWidget>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace zorvan::preview {

// A worked-out path, its chunks and the text it came from, shared read-only between the panel
// and its workers.
struct PreviewModel {
    Toolpath path;
    PathChunks chunks;
    std::string text;
};

class PathCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PathCanvas(QWidget* parent = nullptr);
    ~PathCanvas() override;

    void setModel(std::shared_ptr<const PreviewModel> model, bool fit);
    const PreviewModel* model() const { return model_.get(); }
    std::shared_ptr<const PreviewModel> sharedModel() const { return model_; }
    void setView(View view);
    View view() const { return transform_.view; }
    void fitToPath();
    void setCaretLine(int line);
    // The stock shown in the stock and both displays (the path stands in until there is one).
    void setStock(std::shared_ptr<const stock::StockResult> stock);
    const stock::StockResult* stock() const { return stock_.get(); }
    void setDisplay(StockDisplay display);
    StockDisplay display() const { return display_; }
    void setHitMarks(std::vector<stock::HitMark> marks);
    const ViewTransform& transform() const { return transform_; }
    // True while no picture is being drawn for the current model, view, display and stock.
    bool pictureReady() const
    {
        return imageTransform_ == transform_ && imageModel_ == model_.get() && imageDisplay_ == display_
            && imageStock_.get() == shownStock();
    }
    // The line of the segment under `pixel`, or -1.
    int lineAt(QPointF pixel) const;

signals:
    void lineClicked(int line);
    void pictureDrawn();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    struct Picture {
        QImage image;
        ViewTransform transform;
        const PreviewModel* model;
        StockDisplay display;
        std::shared_ptr<const stock::StockResult> stock;
    };
    void requestPicture();
    void takePicture(Picture picture, unsigned generation);
    const stock::StockResult* shownStock() const { return display_ == StockDisplay::Path ? nullptr : stock_.get(); }

    std::shared_ptr<const PreviewModel> model_;
    ViewTransform transform_;
    QImage image_;  // the last picture finished, drawn for imageTransform_
    ViewTransform imageTransform_;
    const PreviewModel* imageModel_ = nullptr;
    StockDisplay imageDisplay_ = StockDisplay::Path;
    // Held, so that its address is not taken by another stock while the picture shows it.
    std::shared_ptr<const stock::StockResult> imageStock_;
    std::shared_ptr<const stock::StockResult> stock_;
    StockDisplay display_ = StockDisplay::Path;
    std::vector<stock::HitMark> marks_;
    int caretLine_ = -1;
    QThreadPool pool_;
    std::shared_ptr<std::atomic<bool>> cancelDrawing_;
    unsigned generation_ = 0;
    QPointF pressAt_, lastDrag_;
    bool dragging_ = false;
};

}  // namespace zorvan::preview
