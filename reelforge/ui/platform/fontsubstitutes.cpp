#include "ui/platform/fontsubstitutes.h"

#include <QFont>

void registerFontSubstitutes()
{
    // The font system consults substitutes only for families it lacks.
    static const bool registered = [] {
        QFont::insertSubstitution(QStringLiteral("Segoe UI"), QStringLiteral("DejaVu Sans"));
        QFont::insertSubstitution(QStringLiteral("Segoe UI Mono"),
                                  QStringLiteral("DejaVu Sans Mono"));
        return true;
    }();
    Q_UNUSED(registered)
}
