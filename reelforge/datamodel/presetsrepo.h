#pragma once

#include "datamodel/presetinfo.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QStringList>

#include <memory>

// The built-in catalogue of output presets and the user's recently used
// ones. The rows are built once and stay valid as long as the repository.
// Lives on the GUI thread.
class PresetsRepo : public QObject
{
    Q_OBJECT

public:
    using SubgroupPresets = QPair<QString, PresetInfoPointersVector>;

    explicit PresetsRepo(QObject *parent = nullptr);
    ~PresetsRepo() override;

    QStringList groups() const;
    // The rows of a group (or of the recent list for "Recent") that match
    // the filter, gathered by subgroup in catalogue order.
    QList<SubgroupPresets> presets(const QString &group, const QString &filter) const;

    static bool matchesFilter(PresetInfoPointer preset, const QString &filter);
    static QString groupIcon(const QString &group);
    static QString brandIcon(const QString &subgroup);
    static QString presetKey(PresetInfoPointer preset);

    void addRecent(PresetInfoPointer preset);
    QStringList recentPresets() const;
    void setRecent(const QStringList &keys);

private:
    class Private;
    std::unique_ptr<Private> d;
};
