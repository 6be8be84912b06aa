#pragma once

#include "styles/kelstyleable.h"

#include <QLabel>

#include <memory>

// A label dressed by its style id that can elide its text, wrap long words
// anywhere and fades while disabled. GUI thread only.
class KelLabel : public QLabel, public KelStyleable
{
    Q_OBJECT
    Q_PROPERTY(Qt::TextElideMode elideMode READ elideMode WRITE setElideMode)
    Q_PROPERTY(bool wrapAnywhere READ isWrapAnywhere WRITE setWrapAnywhere)

public:
    KelLabel(int styleId, QWidget *parent = nullptr);
    // Style id WT_Label.
    explicit KelLabel(QWidget *parent = nullptr);
    ~KelLabel() override;

    void applyStyle() override;

    Qt::TextElideMode elideMode() const;
    void setElideMode(Qt::TextElideMode mode);

    // Lets a word-wrapping label break its text, plain or rich, between any
    // two characters, so long paths and addresses wrap instead of widening
    // it.
    void setWrapAnywhere(bool on);
    bool isWrapAnywhere() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

public slots:
    // Forward to QLabel::setText, so that calls by name reach the
    // framework's hook, which emits textChanged().
    void setText(const QString &text);
    void setNum(int number);
    void setNum(double number);
    void clear();

signals:
    // Once for every real change of the text, whoever makes it through
    // QLabel::setText; needs the hooks KelApplication installs.
    void textChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
