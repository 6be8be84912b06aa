#pragma once

#include <QLayout>
#include <QList>
#include <QMargins>
#include <QStyle>

#include <memory>

// Places its items left to right and wraps to a new row when the next
// item would pass the right edge; answers height-for-width so that its
// parent grows with the rows. With uniform item sizes every cell takes the
// first item's size and may be stretched so that the columns fill the
// width. GUI thread only.
class KelFlowLayout : public QLayout
{
    Q_OBJECT

public:
    enum Stretch {
        NoStretch = 0,
        AlwaysStretch = 1,
        // Stretch only when the items need more than one row.
        StretchWhenWrapped = 2,
    };
    Q_ENUM(Stretch)

    // Negative spacings are taken from the parent's style (or the parent
    // layout's spacing).
    explicit KelFlowLayout(QWidget *parent = nullptr, const QMargins &margins = QMargins(),
                           int horizontalSpacing = -1, int verticalSpacing = -1);
    // One margin on every side; a negative one keeps the style's default.
    KelFlowLayout(QWidget *parent, int margin, int horizontalSpacing = -1, int verticalSpacing = -1);
    ~KelFlowLayout() override;

    int horizontalSpacing() const;
    int verticalSpacing() const;

    bool uniformItemSizes() const;
    void setUniformItemSizes(bool uniform);
    Stretch stretch() const;
    void setStretch(Stretch stretch);

    // A negative index appends.
    void insertItem(int index, QLayoutItem *item);
    void insertWidget(int index, QWidget *widget);

    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    int minimumHeightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;
    void invalidate() override;

protected:
    // Places the items in rect (only measures when testOnly) and returns
    // the height used.
    virtual int doLayout(const QRect &rect, const QList<QLayoutItem *> &items, bool testOnly) const;

private:
    int spacingFromParent(QStyle::PixelMetric metric) const;

    class Private;
    std::unique_ptr<Private> const d;
};
