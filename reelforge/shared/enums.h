#pragma once

#include <QObject>

// Enumerations shared by the settings, the models and the widgets, published
// to the meta-object system so they travel in variants and queued signals.
// Fixed to int: values come back from the settings file, where any number
// may stand, and are range-checked after reading.
class Enums
{
    Q_GADGET

public:
    enum PostAction : int { DoNothing = 0, QuitApp = 1, Sleep = 2, Shutdown = 3 };
    Q_ENUM(PostAction)

    enum TargetFolderType : int {
        InputFolder = 0,
        Subfolder = 1,
        Desktop = 2,
        Documents = 3,
        CustomFolder = 4
    };
    Q_ENUM(TargetFolderType)

    enum PreviewQuality : int { High = 0, Middle = 1, Low = 2 };
    Q_ENUM(PreviewQuality)

    enum ListViewMode : int { Queue = 0, History = 1 };
    Q_ENUM(ListViewMode)

    enum ApplyPresetButton : int {
        ApplyPresetCancel = 1,
        ApplyPresetToSelection = 2,
        ApplyPresetToAll = 4
    };
    Q_ENUM(ApplyPresetButton)
};
