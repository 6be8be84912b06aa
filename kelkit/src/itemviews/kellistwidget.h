#pragma once

#include "widgets/kelscrollarea.h"

#include <QModelIndex>

#include <functional>
#include <memory>

class KelLayoutDnd;
class KelListWidgetItem;
class QAbstractItemModel;
class QLayout;

// An item view that shows one real widget per model row under a root,
// laid out by a registered row layout that can be switched without
// rebuilding the rows. It follows the model's signals incrementally,
// recycles row widgets through a pool, reorders rows by dragging and takes
// external drops through its KelLayoutDnd, and hides bulk updates behind a
// snapshot of the viewport until the event loop comes back. GUI thread only.
class KelListWidget : public KelScrollArea
{
    Q_OBJECT
    Q_PROPERTY(int currentLayoutId READ currentLayoutId WRITE setCurrentLayoutId)

public:
    using ItemFactory = std::function<KelListWidgetItem *(QWidget *, const QModelIndex &)>;

    explicit KelListWidget(int styleId, QWidget *parent = nullptr);
    ~KelListWidget() override;

    void setModel(QAbstractItemModel *model, const QModelIndex &root = QModelIndex());
    QAbstractItemModel *model() const;
    KelLayoutDnd *layoutDnd() const;

    // Set it before binding a model: the first factory builds no rows.
    void setItemFactory(const ItemFactory &factory);

    void registerLayout(int id, QLayout *layout);
    void setCurrentLayoutId(int id);
    int currentLayoutId() const;

    // Takes effect at the next rebuild.
    void setCreateOnlyVisibleItems(bool enabled);
    // Rows inserted together get their widgets in passes of the event loop
    // that spend at most this long each (at least one widget per pass), so
    // that a large insertion never freezes the window; in between, a row
    // that has none yet holds its place at the size of the factory's row
    // without an index. 8 ms unless set.
    void setCreationBudget(int ms);
    void setKeyboardNavigationEnabled(bool enabled);
    void setVerboseLogging(bool enabled);

    // The widget of that row. In a list that builds every row, a row still
    // waiting for its pass gets its widget now; in a visible-only list, null
    // for a row out of view.
    QWidget *rowWidget(int row) const;

    void activateIndex(const QModelIndex &index);
    // activateIndex for a row that has a widget; false when nothing was done.
    bool selectIndex(const QModelIndex &index);

    void translateUi();

signals:
    void rowCountChanged(int count);
    void hardWorkFinished();

protected:
    bool event(QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};
