#pragma once

#include <QObject>

#include <memory>

class QLayout;
class QLayoutItem;
class QWidget;

// Keeps several layouts under integer ids and makes one of them current
// inside its parent box layout, moving every item of the old current
// layout into the new one, so that a view can switch between, say, a
// column and a wrapping flow without recreating its widgets. The layouts
// not in use belong to the replacer. Supports box layouts and
// KelFlowLayout. GUI thread only.
class KelLayoutReplacer : public QObject
{
    Q_OBJECT

public:
    explicit KelLayoutReplacer(QObject *parent = nullptr);
    ~KelLayoutReplacer() override;

    // Stores or replaces the layout under the id; ownership stays.
    void registerLayout(int id, QLayout *layout);
    // Null without a current id or once the current layout is gone.
    QLayout *layout() const;
    int currentLayoutId() const;
    void setCurrentLayoutId(int id);

    void insertItem(int index, QLayoutItem *item);
    void insertWidget(int index, QWidget *widget);
    // Moves the items start..end so that the block begins where the item
    // at destination stood before the move (the row-move convention of
    // item models).
    void moveItems(int start, int end, int destination);

signals:
    void currentLayoutIdAboutToChange(int newId, int oldId);
    void currentLayoutIdChanged(int newId, int oldId);

private:
    class Private;
    std::unique_ptr<Private> const d;
};
