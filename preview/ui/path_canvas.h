// The drawing area of the preview panel: the cached picture of the path, drawn on a worker
// thread, with the caret line's highlight, the tool marker and the legend painted over it.
// Wheel zooms at the pointer, dragging pans, a click reports the line of the segment under it.
#pragma once

#include "preview/logic/toolpath.h"
#include "preview/render/path_renderer.h"

#include <QImage>
#include <QThreadPool>
#include <QWidget>

#include <atomic>
#include <memory>

namespace zorvan::preview {

// A worked-out path and its chunks, shared read-only between the panel and its workers.
struct PreviewModel {
    Toolpath path;
    PathChunks chunks;
};

class PathCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PathCanvas(QWidget* parent = nullptr);
    ~PathCanvas() override;

    void setModel(std::shared_ptr<const PreviewModel> model, bool fit);
    const PreviewModel* model() const { return model_.get(); }
    void setView(View view);
    View view() const { return transform_.view; }
    void fitToPath();
    void setCaretLine(int line);
    const ViewTransform& transform() const { return transform_; }
    // True while no picture is being drawn for the current model and view.
    bool pictureReady() const { return imageTransform_ == transform_ && imageModel_ == model_.get(); }
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
    void requestPicture();
    void takePicture(QImage image, ViewTransform transform, const PreviewModel* model, unsigned generation);

    std::shared_ptr<const PreviewModel> model_;
    ViewTransform transform_;
    QImage image_;  // the last picture finished, drawn for imageTransform_
    ViewTransform imageTransform_;
    const PreviewModel* imageModel_ = nullptr;
    int caretLine_ = -1;
    QThreadPool pool_;
    std::shared_ptr<std::atomic<bool>> cancelDrawing_;
    unsigned generation_ = 0;
    QPointF pressAt_, lastDrag_;
    bool dragging_ = false;
};

}  // namespace zorvan::preview
