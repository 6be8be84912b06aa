#pragma once

#include "eventfilters/kelcanclearfocusonclickoutside.h"
#include "painting/kelframepainter.h"
#include "styles/kelstyleable.h"

#include <QLineEdit>

#include <memory>

class KelButton;

// The framework's single-line text field: paints its own frame, can show an
// icon at its left and small buttons inside its right end (a clear button
// among them), can show the text only while it has focus, and takes the
// width of its size hint from the style's character count. GUI thread only.
class KelLineEdit : public QLineEdit,
                    public KelFramePainter,
                    public KelStyleable,
                    public KelCanClearFocusOnClickOutside
{
    Q_OBJECT

public:
    explicit KelLineEdit(int styleId = -1, QWidget *parent = nullptr);
    ~KelLineEdit() override;

    // The frame painter's meaning of these names, not the widget's.
    using KelFramePainter::contentsMargins;
    using KelFramePainter::setContentsMargins;
    using QWidget::repaint;

    // Only the first call adds the button; it shows while there is text.
    void addClearButton(bool clearOnEscape);
    // An inner button with that icon; the caller wires its signals.
    KelButton *addButton(const QString &iconPath);

    // An icon the provider does not know removes the icon.
    void setIcon(const QString &name);
    void setIconMargins(const QMargins &margins);
    void setIconColors(const KelStateColors &colors);
    void setButtonsSpacing(int spacing);
    // Moves the text down by shift pixels.
    void setTextVerticalShift(int shift);
    // The size hint's text width is the style's character count times the
    // width of x, else the width of the text.
    void setStyleCharsWidth(bool enabled);
    // Shows the text only while the field has focus.
    void setPasswordWhenUnfocused(bool enabled);
    void setTextSilently(const QString &text);

    void setMargins(const QMargins &margins) override;
    void setContentsMargins(const QMargins &margins) override;
    void applyStyle() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void isValidChanged(bool valid);
    void focused();
    void focusLost();
    void cancelPressed();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
