#pragma once

#include "widgets/kelwidget.h"

#include <memory>

class KelIcon;

// Paints one framework icon from the icons provider, aligned in its
// contents rectangle; its size hints are the icon's size. GUI thread only.
class KelIconWidget : public KelWidget
{
    Q_OBJECT
    Q_PROPERTY(Qt::Alignment alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(QSize iconSize READ iconSize WRITE setIconSize)

public:
    explicit KelIconWidget(QWidget *parent = nullptr);
    explicit KelIconWidget(const char *iconName, QWidget *parent = nullptr);
    ~KelIconWidget() override;

    void setIcon(const QString &name);
    void setIconByName(const char *name);
    KelIcon *icon() const;

    Qt::Alignment alignment() const;
    void setAlignment(Qt::Alignment alignment);

    // Invalid: the icon's own size.
    QSize iconSize() const;
    void setIconSize(const QSize &size);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
