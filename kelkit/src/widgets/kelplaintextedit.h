#pragma once

#include "painting/kelframepainter.h"
#include "styles/kelstyleable.h"

#include <QPlainTextEdit>

#include <memory>

// The framework's multi-line text field: paints the input frame of its
// style around the text, which its viewport keeps inside the frame, and
// can follow the height of its document. GUI thread only.
class KelPlainTextEdit : public QPlainTextEdit, public KelFramePainter, public KelStyleable
{
    Q_OBJECT

public:
    explicit KelPlainTextEdit(int styleId = -1, QWidget *parent = nullptr);
    explicit KelPlainTextEdit(QWidget *parent);
    ~KelPlainTextEdit() override;

    // The frame painter's meaning of these names, not the widget's.
    using KelFramePainter::contentsMargins;
    using KelFramePainter::setContentsMargins;
    using QWidget::repaint;

    // On: the size hint's height follows the document, with a preferred
    // size policy; off: the edit expands as a plain text edit does.
    void setAutoHeight(bool on);

    void applyStyle() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    void onGeometryChanged() override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
