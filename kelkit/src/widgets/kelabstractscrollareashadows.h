#pragma once

#include <QObject>

#include <memory>

class QAbstractScrollArea;

// The edge shadows of a scroll area: one linear shadow per chosen edge,
// each shown on a scroll-following edge only while content lies hidden
// beyond it. GUI thread only.
class KelAbstractScrollAreaShadows : public QObject
{
    Q_OBJECT

public:
    // A child of owner.
    KelAbstractScrollAreaShadows(QAbstractScrollArea *area, QObject *owner);
    ~KelAbstractScrollAreaShadows() override;

    // Replaces the shadows by new ones of the style on each of edges; those
    // on scrollEdges show and hide by the scroll bars, the others follow
    // only the area's visibility.
    void setShadowEdges(Qt::Edges edges, int styleId, Qt::Edges scrollEdges);

private:
    class Private;
    std::unique_ptr<Private> const d;
};
