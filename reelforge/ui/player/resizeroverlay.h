#pragma once

#include "styles/kelstyleable.h"

#include <QColor>
#include <QRectF>
#include <QWidget>

#include <memory>

// A transparent widget laid over the preview picture that shows a box (an
// overlay's place in the picture) with corner and edge handles and lets the
// user move it, resize it from any corner or edge, turn it from the rings
// around the corners and move it with the arrow keys.
//
// It works in widget coordinates: the working rect (the picture's rect),
// the screen selection (the box, unrotated) and the relative selection (the
// same box measured from the working rect's top-left). The rotation turns
// the box clockwise about its centre. Setters marked quiet, and
// setWorkingRect(), emit nothing, so a caller can feed back what it was told
// without a loop.
//
// Defaults: all operations allowed, no aspect kept, angles 0 to 359, the
// look of Appearance. In maintenance mode a "Debug resizer" check box turns
// on a drawing of the hit zones and measurements.
//
//     auto *overlay = new ResizerOverlay(Style::WT_ResizerOverlay, frameView);
//     overlay->setWorkingRect(pictureRect);
//     overlay->setRelativeSelectionQuiet(boxInPicture);
//     connect(overlay, &ResizerOverlay::relativeSelectionChanged, ...);
//
// GUI thread only.
class ResizerOverlay : public QWidget, public KelStyleable
{
    Q_OBJECT
    Q_PROPERTY(int allowedOperations READ allowedOperations WRITE setAllowedOperations)
    Q_PROPERTY(bool keepAspect READ keepAspect WRITE setKeepAspect)
    Q_PROPERTY(double aspectRatio READ aspectRatio WRITE setAspectRatio)
    Q_PROPERTY(QRectF workingRect READ workingRect WRITE setWorkingRect)
    Q_PROPERTY(QRectF screenSelection READ screenSelection WRITE setScreenSelection NOTIFY
                       screenSelectionChanged)
    Q_PROPERTY(QRectF relativeSelection READ relativeSelection WRITE setRelativeSelection NOTIFY
                       relativeSelectionChanged)
    Q_PROPERTY(double rotationAngle READ rotationAngle WRITE setRotationAngle NOTIFY
                       rotationAngleChanged)

public:
    // Single operations and masks of them; the allowed mask is an int of
    // these.
    enum Operation {
        Noop = 0,
        TopLeft = 1,
        TopRight = 2,
        BottomLeft = 4,
        BottomRight = 8,
        RotateTopLeft = 16,
        RotateTopRight = 32,
        RotateBottomLeft = 64,
        RotateBottomRight = 128,
        Top = 256,
        Left = 512,
        Bottom = 1024,
        Right = 2048,
        Move = 4096,
        Corners = 15,
        Rotate = 240,
        Edges = 3840,
        All = 65535,
    };
    Q_ENUM(Operation)

    // The overlay's look. Lengths are logical pixels; the border and the
    // handles are drawn inside the box shrunk by their offsets (a negative
    // offset places them outside).
    struct Appearance
    {
        // Fills the working rect outside the box.
        QColor shadeColor = QColor(0, 0, 0, 127);
        // Added to handleSize for the hit zones.
        int hitMargin = 4;
        int borderWidth = 1;
        int borderOffset = 0;
        QColor borderColor = Qt::red;
        // A Qt::PenStyle.
        int borderStyle = Qt::SolidLine;
        int handleSize = 8;
        int handleOffset = -4;
        // 0 or less draws no handle border.
        int handleBorderWidth = 1;
        int handleRadius = 0;
        QColor handleBorderColor = Qt::blue;
        QColor handleColor = Qt::green;
    };

    explicit ResizerOverlay(int styleId = -1, QWidget *parent = nullptr);
    ~ResizerOverlay() override;

    int allowedOperations() const;
    void setAllowedOperations(int mask);

    bool keepAspect() const;
    void setKeepAspect(bool keep);
    // Width / height, held while keepAspect is set and the ratio is above 0.
    double aspectRatio() const;
    void setAspectRatio(double ratio);

    QRectF workingRect() const;
    // Quiet. A null rect clears the screen selection; otherwise the box is
    // placed from the relative selection.
    void setWorkingRect(const QRectF &rect);

    QRectF relativeSelection() const;
    void setRelativeSelection(const QRectF &rect);
    void setRelativeSelectionQuiet(const QRectF &rect);

    QRectF screenSelection() const;
    // Also updates the relative selection and emits its change.
    void setScreenSelection(const QRectF &rect);

    // Degrees, clockwise on screen.
    double rotationAngle() const;
    // Brought into the angle range first.
    void setRotationAngle(double degrees);
    void setRotationAngleQuiet(double degrees);
    double minAngle() const;
    double maxAngle() const;
    // A minimum above 0 is not supported: angles below it are kept and
    // warned about.
    void setAngleRange(double minAngle, double maxAngle);

    Appearance appearance() const;
    void setAppearance(const Appearance &appearance);

    // True between the press and the release of a drag.
    bool isChanging() const;

    // Asks the application style for the overlay's look.
    void applyStyle() override;

public slots:
    // Shows the cursor of the operation under the pointer, turned with the
    // box.
    virtual void updateCursor();

signals:
    void changeStarted(ResizerOverlay::Operation op);
    void changeFinished(ResizerOverlay::Operation op);
    // Declared for the editor's connections; setWorkingRect() is quiet, so
    // nothing emits it.
    void workingRectChanged(const QRectF &workRect);
    void screenSelectionChanged(const QRectF &scrSelection);
    void relativeSelectionChanged(const QRectF &relSelection);
    void rotationAngleChanged(double deg);
    // The box presses against the working rect and cannot grow further with
    // its aspect kept.
    void needFlashKeepAspectCheck();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
