#pragma once

#include <QString>

#include <memory>

// A stable, anonymous identifier of this computer, made from the serial
// number of the disk that holds the user's local application data.
class CpuInfo
{
public:
    CpuInfo();
    ~CpuInfo();

    // 32 lower-case hexadecimal digits; read afresh on every call.
    QString machineId() const;

private:
    class Private;
    std::unique_ptr<Private> d;

    Q_DISABLE_COPY(CpuInfo)
};
