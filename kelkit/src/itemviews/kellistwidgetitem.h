#pragma once

class QModelIndex;

// The interface of a KelListWidget's row widgets (which are also QWidgets).
class KelListWidgetItem
{
public:
    virtual ~KelListWidgetItem() = default;
    // Shows the row of this index.
    virtual void setIndex(const QModelIndex &index) = 0;
    // Forgets the row; the widget goes to the pool.
    virtual void reset() = 0;
    // The row layout with this id is now current.
    virtual void layoutIdChanged(int id) = 0;
    // Re-reads all user-visible texts.
    virtual void translateUi() = 0;
    // The row is in or near the view, or its widget is handed out: a row
    // that leaves its costly parts out until then builds them now.
    virtual void prepareForView() { }
};
