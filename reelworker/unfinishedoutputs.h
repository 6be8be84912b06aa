#pragma once

#include <QString>

#include <memory>

// The temporary outputs this worker is writing, recorded on disk so that a
// worker started later removes those that a killed or crashed one left
// behind. Each worker process keeps a record of its own, locked while the
// process runs; a record that no process holds belongs to a worker that is
// gone. Only files named as partial outputs are ever removed.
//
// Lives on the worker's only thread.
class UnfinishedOutputs
{
public:
    // The folder holds the records; without it nothing is recorded.
    explicit UnfinishedOutputs(const QString &folder);
    // The record goes with the object; its files must be dealt with by then.
    ~UnfinishedOutputs();

    UnfinishedOutputs(const UnfinishedOutputs &) = delete;
    UnfinishedOutputs &operator=(const UnfinishedOutputs &) = delete;

    // Removes the files of the records of workers that are gone, and the
    // records. Returns the number of files removed.
    int removeAbandoned();

    void add(const QString &path);
    // The file has been moved onto its target: only the entry goes.
    void forget(const QString &path);
    // Removes the file, when it exists, and its entry.
    void discard(const QString &path);

private:
    class Private;
    std::unique_ptr<Private> d;
};
