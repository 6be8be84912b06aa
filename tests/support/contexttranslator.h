#pragma once

#include <QString>
#include <QTranslator>

// Translates every text into "Context|Source", so that a shown text proves
// the context it was translated in. Install it with
// QCoreApplication::installTranslator().
class ContextTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        return inContext(context, sourceText);
    }
    bool isEmpty() const override { return false; }

    static QString inContext(const char *context, const char *sourceText)
    {
        return QStringLiteral("%1|%2").arg(QLatin1String(context), QString::fromUtf8(sourceText));
    }
};
