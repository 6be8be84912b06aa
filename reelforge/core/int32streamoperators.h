#pragma once

#include <QDataStream>
#include <QFlag>
#include <QMetaType>

#include <type_traits>

// Lets a QVariant holding an enumeration or a flags type be written and read
// as a signed 32-bit integer, as the link and the settings files store it.
// T must be registered with the meta-type system first.
template<typename T>
void registerInt32StreamOperators()
{
    QMetaType::registerStreamOperators(
            qMetaTypeId<T>(),
            [](QDataStream &stream, const void *value) {
                stream << qint32(*static_cast<const T *>(value));
            },
            [](QDataStream &stream, void *value) {
                qint32 raw = 0;
                stream >> raw;
                if constexpr (std::is_enum_v<T>)
                    *static_cast<T *>(value) = static_cast<T>(raw);
                else
                    *static_cast<T *>(value) = T(QFlag(raw));
            });
}
