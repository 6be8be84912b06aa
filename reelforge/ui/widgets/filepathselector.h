#pragma once

#include "widgets/kelbutton.h"

#include <functional>
#include <memory>

class ThumbIcon;

// A field that shows a chosen file: its name (the full path as tooltip),
// a thumbnail when it is an image, or a placeholder while no file is set.
// A click asks the file chooser for a new path; without a chooser it does
// nothing.
//
//     auto *file = new FilePathSelector(dialog);
//     file->setFileChooser([=] { return ui->selectWatermarkFile(file->path()); });
//     connect(file, &FilePathSelector::filePathChanged, pip, &PipObject::setFilePath);
//
// GUI thread only.
class FilePathSelector : public KelButton
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY filePathChanged)
    Q_PROPERTY(QString placeholderText READ placeholderText WRITE setPlaceholderText)

public:
    // Returns the chosen path, empty when the user cancelled.
    using FileChooser = std::function<QString()>;

    static constexpr int ThumbnailSide = 28;

    explicit FilePathSelector(QWidget *parent = nullptr);
    ~FilePathSelector() override;

    void setFileChooser(const FileChooser &chooser);

    QString path() const;
    void setPath(const QString &path);
    QString placeholderText() const;
    void setPlaceholderText(const QString &text);

    // Has no source unless the path is an image.
    ThumbIcon *thumbnail() const;

    void paint(KelPaintContext &ctx) override;

signals:
    void filePathChanged(QString value);

private:
    class Private;
    std::unique_ptr<Private> d;
};
