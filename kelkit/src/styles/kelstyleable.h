#pragma once

#include <QPointer>

class KelStyleManager;

// Mixin of every object with a look: it carries the style id (-1 for none)
// and is re-applied by the style manager whenever the theme changes, from
// its construction to its destruction. GUI thread only.
class KelStyleable
{
public:
    // Registers with the application's style manager; without one nothing
    // is registered.
    explicit KelStyleable(int styleId);
    virtual ~KelStyleable();

    // Asks the current style's apply operation of the object's kind to
    // dress it for its id.
    virtual void applyStyle() = 0;

    int styleId() const;
    bool hasStyleId() const;
    // Re-applies the style when the id changed.
    void setStyleId(int styleId);

private:
    Q_DISABLE_COPY(KelStyleable)

    int m_styleId;
    QPointer<KelStyleManager> m_manager;
};
