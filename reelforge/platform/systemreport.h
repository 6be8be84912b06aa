#pragma once

#include <QString>
#include <QStringList>

// A plain-text report of the system for crash reports: kernel and
// distribution, processor, memory, graphics adapters and the screens.
//
// The screen part comes from screenFacts() on the GUI thread; the rest is
// read from files below the root folder (and, when given, the output of the
// PCI lister), so write() may run on any thread.
//
//     const QString screens = SystemReport::screenFacts();
//     QtConcurrent::run([=] { SystemReport().write(path, screens, &error); });
class SystemReport
{
public:
    // pciLister: a program listing the PCI devices, run with pciArguments;
    // empty for none.
    explicit SystemReport(const QString &rootPath = QStringLiteral("/"),
                          const QString &pciLister = defaultPciLister());

    // The lspci found in the usual places, or empty.
    static QString defaultPciLister();
    // Qt's platform plugin and every screen. GUI thread.
    static QString screenFacts();

    QString text(const QString &screenFacts) const;
    // Replaces the file at path as a whole; on failure nothing is left
    // there and errorText says why.
    bool write(const QString &path, const QString &screenFacts, QString *errorText) const;

private:
    QString readFile(const QString &relativePath) const;
    QString kernelSection() const;
    QString processorSection() const;
    QString memorySection() const;
    QString graphicsSection() const;
    QStringList pciDisplayDevices() const;

    QString m_rootPath;
    QString m_pciLister;
};
